#include "CommandLine.h"
#include "Form1.h"
#include "HexmothApplication.h"

#include <QTimer>

int main(int argc, char *argv[])
{
    if (CommandLine::asksForAnswer(argc, argv)) {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral(HEXMOTH_VERSION));
        const CommandLine answer = CommandLine::ofProcess(argc, argv);
        answer.print();
        return answer.exitCode().value_or(0);
    }
    HexmothApplication app(argc, argv);
    const CommandLine line = CommandLine::ofProcess(argc, argv);
    line.print();
    if (line.exitCode())
        return *line.exitCode();
    Form1 window;
    window.show();
    if (const std::optional<QString> file = line.file())
        QTimer::singleShot(0, &window, [&window, path = *file] { window.openFile(path); });
    return app.exec();
}
