#include "SystemReason.h"

#include <QRegularExpression>
#include <QTest>
#include <cerrno>

class SystemReasonTest : public QObject
{
    Q_OBJECT

private slots:
    void everyReasonIsJapanese_data()
    {
        QTest::addColumn<int>("error");
        const std::pair<const char *, int> rows[] = {
            {"a missing path", ENOENT}, {"access denied", EACCES}, {"an operation not permitted", EPERM},
            {"a file where a folder is needed", ENOTDIR}, {"too many symbolic links", ELOOP},
            {"a name too long", ENAMETOOLONG}, {"a folder where a file is needed", EISDIR},
            {"an input/output error", EIO}, {"no such device or address", ENXIO}, {"no such device", ENODEV},
            {"out of memory", ENOMEM}, {"too many files open in the program", EMFILE},
            {"too many files open in the system", ENFILE}, {"a value too large", EOVERFLOW},
            {"a file too large", EFBIG}, {"an invalid argument", EINVAL}, {"nothing to read yet", EAGAIN},
            {"an interrupted call", EINTR}, {"a program file in use", ETXTBSY}, {"a stale file handle", ESTALE},
            {"a lost connection", ENOTCONN}, {"a timed-out connection", ETIMEDOUT},
            {"a read-only file system", EROFS}, {"a bad file descriptor", EBADF}, {"a severed link", ENOLINK},
            {"a remote input/output error", EREMOTEIO}, {"no medium", ENOMEDIUM},
            {"an errno the table lacks", ENOSPC}, {"a number no system uses", 98765},
        };
        for (const auto &[name, error] : rows)
            QTest::newRow(name) << error;
    }

    void everyReasonIsJapanese()
    {
        QFETCH(int, error);
        const QString text = SystemReason::text(error);
        QVERIFY(!text.isEmpty());
        QVERIFY2(!text.contains(QRegularExpression("[A-Za-z]")), qPrintable(text));
    }

    void anUnknownNumberIsNamedInTheText()
    {
        QVERIFY(SystemReason::text(98765).contains(QStringLiteral("98765")));
    }
};

QTEST_APPLESS_MAIN(SystemReasonTest)
#include "SystemReasonTest.moc"
