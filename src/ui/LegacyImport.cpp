#include "LegacyImport.h"

#include "core/Database.h"
#include "core/Prompter.h"
#include "legacy/LegacyMigration.h"
#include "legacy/OldDatabaseFile.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace zq::ui {

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
        const auto old = legacy::openOldDatabase(*path);
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
