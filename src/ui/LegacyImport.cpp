#include "LegacyImport.h"

#include "core/Database.h"
#include "core/Prompter.h"
#include "legacy/LegacyMigration.h"
#include "legacy/OldDatabaseFile.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QThread>
#include <atomic>
#include <optional>
#include <thread>

namespace zq::ui {
namespace {

// Reads an Access file on a worker thread while the progress dialog keeps answering; its Cancel stops the
// reading. Nothing when cancelled.
std::unique_ptr<Database> loadAccessFile(const QString& path, QProgressDialog& progress)
{
    legacy::OldDatabaseLoader loader(path);
    std::atomic<bool> done = false;
    bool loaded = false;
    std::optional<DatabaseError> error;
    std::thread worker([&] {
        try {
            loaded = loader.load();
        } catch (const DatabaseError& e) {
            error = e;
        }
        done = true;
    });
    bool cancelled = false;
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!cancelled && progress.wasCanceled()) {
            cancelled = true;
            loader.cancel();
        }
        QThread::msleep(10);
    }
    worker.join();
    if (error)
        throw *error;
    if (!loaded || cancelled)
        return nullptr;
    return loader.take();
}

} // namespace

void importOldDatabase(const AppContext& ctx, QWidget* parent)
{
    using legacy::LegacyMigration;
    if (!ctx.db)
        return;
    Prompter& prompter = *ctx.prompter;
    const QString title = QStringLiteral("导入旧版数据库");
    try {
        // Said before the file is chosen: the user need not look for a file that cannot be taken over.
        if (!LegacyMigration::isEmptyOwnDatabase(*ctx.db)) {
            prompter.notice(LegacyMigration::ownNotEmptyMessage(), Prompter::Icon::Exclamation);
            return;
        }
    } catch (const DatabaseError& e) {
        prompter.notice(title, errorTypeMessage(e), Prompter::Icon::Critical);
        return;
    }
    const auto path =
        prompter.openFileName(title, ctx.programFolder, QStringLiteral("旧版数据库 (*.mdb);;所有文件 (*)"));
    if (!path || path->isEmpty())
        return;

    QProgressDialog progress(QStringLiteral("正在读取旧版数据库…"), QStringLiteral("取消"), 0, 0, parent);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    QCoreApplication::processEvents();
    legacy::MigrationOutcome outcome;
    try {
        const auto old =
            legacy::isAccessFile(*path) ? loadAccessFile(*path, progress) : legacy::openOldDatabase(*path);
        if (!old) {
            progress.close();
            prompter.notice(LegacyMigration::cancelledMessage(), Prompter::Icon::Exclamation);
            return;
        }
        progress.setLabelText(QStringLiteral("正在导入旧版数据库…"));
        outcome = LegacyMigration(*old, *ctx.db, *path).run([&progress](qint64 done, qint64 total) {
            if (progress.maximum() != int(total))
                progress.setMaximum(int(total));
            progress.setValue(int(done));
            return !progress.wasCanceled();
        });
    } catch (const DatabaseError& e) {
        progress.close();
        prompter.notice(title, errorTypeMessage(e), Prompter::Icon::Critical);
        return;
    }
    progress.close();
    prompter.notice(outcome.message,
                    outcome.ok() ? Prompter::Icon::Information : Prompter::Icon::Exclamation);
}

} // namespace zq::ui
