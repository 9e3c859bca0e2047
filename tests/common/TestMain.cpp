// Runs every test class registered in this executable; "-select Name" runs only the named classes, and the
// remaining arguments go to each QTest run (e.g. a test function name).
#include "TestSupport.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QLocale>
#include <QTest>
#include <cstdio>
#include <vector>

namespace zq::test {
namespace {
using Registry = std::vector<std::pair<QString, std::function<QObject*()>>>;
Registry& registry()
{
    static Registry entries;
    return entries;
}
} // namespace

int registerTest(const char* name, std::function<QObject*()> factory)
{
    registry().emplace_back(QString::fromLatin1(name), std::move(factory));
    return int(registry().size());
}

} // namespace zq::test

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zqsaltax-test"));
    // The windows under test speak as they do for the user: Qt's own texts in Chinese, Chinese dates.
    zq::ui::useChinese(app);
    QStringList args = app.arguments(), selected;
    for (qsizetype i = args.indexOf("-select"); i > 0 && i + 1 < args.size(); i = args.indexOf("-select")) {
        selected << args[i + 1];
        args.remove(i, 2);
    }
    int failures = 0, runs = 0;
    for (const auto& [name, factory] : zq::test::registry()) {
        if (!selected.isEmpty() && !selected.contains(name))
            continue;
        // A class that set another locale for itself leaves the next one the program's.
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        std::unique_ptr<QObject> obj(factory());
        failures += QTest::qExec(obj.get(), args);
        ++runs;
    }
    std::printf("%d test classes run, %d failures\n", runs, failures);
    return failures == 0 && runs > 0 ? 0 : 1;
}
