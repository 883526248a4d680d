#include "SystemReason.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <locale.h>

namespace {

struct Reason
{
    int error;
    const char16_t *text;
};

constexpr Reason Reasons[] = {
    {ENOENT, u"そのようなファイルやディレクトリはありません"},
    {EACCES, u"アクセスが拒否されました"},
    {EPERM, u"操作は許可されていません"},
    {ENOTDIR, u"ディレクトリではありません"},
    {ELOOP, u"シンボリックリンクの階層が深すぎます"},
    {ENAMETOOLONG, u"ファイル名が長すぎます"},
    {EISDIR, u"ディレクトリです"},
    {EIO, u"入出力エラーが発生しました"},
    {ENXIO, u"そのようなデバイスやアドレスはありません"},
    {ENODEV, u"そのようなデバイスはありません"},
    {ENOMEM, u"メモリが足りません"},
    {EMFILE, u"開いているファイルが多すぎます"},
    {ENFILE, u"システム全体で開いているファイルが多すぎます"},
    {EOVERFLOW, u"値が大きすぎて扱えません"},
    {EFBIG, u"ファイルが大きすぎます"},
    {EINVAL, u"引数が無効です"},
    {EAGAIN, u"リソースが一時的に利用できません"},
    {EINTR, u"システムコールが中断されました"},
    {ETXTBSY, u"ファイルは実行中のプログラムが使用しています"},
    {ESTALE, u"ファイルハンドルが古くなっています"},
    {ENOTCONN, u"接続されていません"},
    {ETIMEDOUT, u"接続がタイムアウトしました"},
    {EROFS, u"読み込み専用のファイルシステムです"},
    {EBADF, u"ファイル記述子が不正です"},
    {ENOLINK, u"リンクが切断されました"},
    {EREMOTEIO, u"リモートの入出力エラーが発生しました"},
    {ENOMEDIUM, u"メディアが見つかりません"},
    {EBUSY, u"デバイスまたはリソースが使用中です"},
};

// The C library's messages in Japanese; nullptr when no Japanese locale is
// installed. Made once and kept for the life of the program.
locale_t japaneseLocale()
{
    static const locale_t locale = [] {
        for (const char *name : {"ja_JP.UTF-8", "ja_JP.utf8"}) {
            if (const locale_t found = ::newlocale(LC_ALL_MASK, name, locale_t(nullptr)))
                return found;
        }
        return locale_t(nullptr);
    }();
    return locale;
}

} // namespace

QString SystemReason::text(int error)
{
    const auto known = std::find_if(std::begin(Reasons), std::end(Reasons),
                                    [error](const Reason &reason) { return reason.error == error; });
    if (known != std::end(Reasons))
        return QString::fromUtf16(known->text);
    const QString library = fromLibrary(error);
    return library.isEmpty() ? QStringLiteral("システムエラー (番号 %1)").arg(error) : library;
}

QString SystemReason::notRegularFile()
{
    return QStringLiteral("通常のファイルではありません");
}

// Empty when the library has no Japanese text for `error`: no Japanese
// locale, or its catalogue gives the English text.
QString SystemReason::fromLibrary(int error)
{
    const locale_t japanese = japaneseLocale();
    if (!japanese)
        return {};
    const QString text = QString::fromUtf8(::strerror_l(error, japanese));
    const bool untranslated = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter() && c.unicode() < 0x80; });
    return untranslated ? QString() : text;
}
