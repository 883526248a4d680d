#include "WindowRunChild.h"

#include "WindowRun.h"

#include <string>

namespace WindowRunChild {

void add(Bench &bench)
{
    bench.addChild("window-run", [](const std::vector<std::string> &arguments) {
        return ChildProcess::reportOf(WindowRun::measure(QString::fromStdString(arguments.at(0)), std::stoll(arguments.at(1)),
                                                      std::stoll(arguments.at(2))));
    });
}

ChildProcess::Outcome run(const QString &path, qint64 size)
{
    return ChildProcess::runSelf("window-run", {path.toStdString(), std::to_string(size), std::to_string(WindowRun::nowNs())});
}

} // namespace WindowRunChild
