#include "FindBar.h"

#include "FileText.h"
#include "FileTextView.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QToolButton>

namespace {

// In the order of the choice's items.
constexpr FindKind Kinds[] = {FindKind::Text, FindKind::Hex, FindKind::InvalidByte, FindKind::PlatformDependent};

QToolButton *button(const QString &text, const QString &tip, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoRaise(true);
    return b;
}

} // namespace

FindBar::FindBar(FileTextView *view)
    : QWidget(view)
    , m_view(view)
    , m_run(new FindRun(this))
{
    setObjectName(QStringLiteral("FindBar"));
    createControls();
    connectControls();
    hide();
    view->addBottomBar(this);
}

void FindBar::createControls()
{
    m_kind = new QComboBox(this);
    m_kind->addItems({QStringLiteral("テキスト"), QStringLiteral("16進数"), QStringLiteral("不正なバイト"), QStringLiteral("機種依存文字")});
    m_kind->setAccessibleName(QStringLiteral("検索する内容の種類"));
    m_input = new QLineEdit(this);
    m_input->setAccessibleName(QStringLiteral("検索する文字列"));
    m_input->setMaxLength(int(FindPattern::MaxLength) * 4);
    m_status = new QLabel(this);
    m_status->setAccessibleName(QStringLiteral("検索の結果"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long message is cut on screen rather than squeezing the input; its
    // whole text stays in the tooltip and for screen readers.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_input->setMinimumWidth(m_input->fontMetrics().averageCharWidth() * 16);
    m_progress = new QProgressBar(this);
    m_progress->setFormat(QStringLiteral("検索中 %p%（Esc で中止）"));
    m_progress->setAccessibleName(QStringLiteral("検索の進み具合"));
    m_progress->hide();
    auto *previous = button(QStringLiteral("▲"), QStringLiteral("前を検索 (Shift+F3)"), this);
    auto *next = button(QStringLiteral("▼"), QStringLiteral("次を検索 (F3)"), this);
    auto *close = button(QStringLiteral("×"), QStringLiteral("閉じる (Esc)"), this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(QStringLiteral("検索:"), this));
    layout->addWidget(m_kind);
    layout->addWidget(m_input, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_progress, 1);
    layout->addWidget(close);
    connect(previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(close, &QToolButton::clicked, this, [this] {
        m_run->cancel();
        hide();
        m_view->setFocus();
    });
}

void FindBar::connectControls()
{
    m_input->installEventFilter(this);
    m_kind->installEventFilter(this);
    connect(m_view->command(FileTextView::Command::Find), &QAction::triggered, this, &FindBar::open);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &FindBar::kindChanged);
    // On the view, so that they work from the text as well as from the bar.
    const auto shortcut = [this](QKeySequence keys, auto slot) { return new QShortcut(keys, m_view, slot, Qt::WidgetWithChildrenShortcut); };
    m_next = shortcut(QKeySequence(Qt::Key_F3), [this] { findNext(); });
    m_previous = shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { findPrevious(); });
    m_escape = shortcut(QKeySequence(Qt::Key_Escape), [this] { escape(); });
    m_escape->setEnabled(false);
    connect(m_run, &FindRun::found, this, &FindBar::showFound);
    connect(m_run, &FindRun::notFound, this, [this] { say(QStringLiteral("見つかりません")); });
    connect(m_run, &FindRun::progress, this, &FindBar::showProgress);
}

void FindBar::setAvailable(bool available)
{
    if (!available) {
        m_run->cancel();
        hide();
    }
    m_view->command(FileTextView::Command::Find)->setEnabled(available);
    m_next->setEnabled(available);
    m_previous->setEnabled(available);
}

QString FindBar::status() const
{
    return m_status->text();
}

void FindBar::open()
{
    if (!m_run->isRunning())
        say(QString());
    show();
    if (m_input->isEnabled()) {
        m_input->setFocus();
        m_input->selectAll();
    } else {
        m_kind->setFocus();
    }
}

void FindBar::escape()
{
    if (m_run->isRunning()) {
        m_run->cancel();
        say(QStringLiteral("検索を中止しました"));
        return;
    }
    hide();
    m_view->setFocus();
}

void FindBar::showEvent(QShowEvent *event)
{
    m_escape->setEnabled(true);
    QWidget::showEvent(event);
}

void FindBar::hideEvent(QHideEvent *event)
{
    m_escape->setEnabled(false);
    QWidget::hideEvent(event);
}

void FindBar::kindChanged()
{
    const bool typed = Kinds[m_kind->currentIndex()] == FindKind::Text || Kinds[m_kind->currentIndex()] == FindKind::Hex;
    const bool inputFocused = m_input->hasFocus();
    m_input->setEnabled(typed);
    if (inputFocused && !typed)
        m_kind->setFocus();
    m_input->setPlaceholderText(Kinds[m_kind->currentIndex()] == FindKind::Hex ? QStringLiteral("例: 83 41、?? は任意の 1 バイト") : QString());
    say(QString());
}

void FindBar::find(FindRun::Direction direction)
{
    if (isHidden())
        open();
    const std::shared_ptr<const FileText> text = m_view->fileText();
    if (!text)
        return say(QStringLiteral("見つかりません"));
    const FindKind kind = Kinds[m_kind->currentIndex()];
    FindPatternParse parse;
    if (kind == FindKind::Text)
        parse = encodeTextPattern(m_input->text(), text->encoding());
    else if (kind == FindKind::Hex)
        parse = parseHexPattern(m_input->text());
    else if (kind == FindKind::PlatformDependent && text->encoding() != TextEncoding::Cp932)
        parse.error = QStringLiteral("機種依存文字はコードページ 932 (Shift-JIS) で読むテキストでだけ検索できます。");
    if (!parse.ok())
        return say(parse.error);
    say(QString());
    m_direction = direction;
    const bool forward = direction == FindRun::Direction::Forward;
    const BytePosition from = forward ? m_view->selectionEnd() : m_view->selectionStart();
    m_searched = text.get();
    m_run->start(text, kind, std::move(parse.pattern), direction, from.value());
}

void FindBar::showFound(const FindMatch &match, bool wrapped)
{
    if (m_view->fileText().get() != m_searched)
        return; // a search of a text no longer shown
    m_view->setSelection(match.start, match.end);
    m_view->ensureVisible(match.start);
    const bool forward = m_direction == FindRun::Direction::Forward;
    say(!wrapped ? QString() : forward ? QStringLiteral("先頭から続けました") : QStringLiteral("末尾から続けました"));
}

void FindBar::say(const QString &text)
{
    m_progress->hide();
    m_status->show();
    m_status->setText(text);
    m_status->setToolTip(text);
}

void FindBar::showProgress(int percent)
{
    if (m_progress->isHidden()) {
        m_status->hide();
        m_progress->show();
    }
    m_progress->setValue(percent);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers() & Qt::ShiftModifier ? FindRun::Direction::Backward : FindRun::Direction::Forward);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
