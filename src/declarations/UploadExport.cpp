#include "UploadExport.h"

#include "DeclarationStore.h"
#include "DeclarationWarnings.h"

#include "core/Database.h"
#include "core/Dates.h"
#include "core/Prompter.h"
#include "core/TextHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>

namespace zq {
namespace {

UploadProblem fileProblem(const QString& message)
{
    UploadProblem p;
    p.kind = UploadProblem::Kind::File;
    p.message = message;
    return p;
}

// A proposed name must stay one file name: characters that separate folders or are not allowed in Windows
// file names become "_".
QString safeFileName(QString name)
{
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    return name;
}

} // namespace

UploadExport::UploadExport(Database& db, Prompter& prompter) : m_db(db), m_prompter(prompter) {}

QString UploadExport::proposedFileName(const QVariant& bookNo, const QVariant& month)
{
    QString base = NullToText(bookNo);
    if (base.isEmpty()) {
        const QDate d = Dates::fromStored(month);
        base = d.isValid() ? Dates::formatDate(d) : NullToText(month);
    }
    return safeFileName(base) + QStringLiteral(".CSV");
}

std::optional<UploadProblem> UploadExport::writeFile(Database& db, qint64 appId, const QString& path,
                                                     QString* storedPath)
{
    const QFileInfo target(path);
    const QString absolute = target.absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(absolute);
    if (target.isDir())
        return fileProblem(QStringLiteral("“%1”是一个文件夹，不能写成上传文件。").arg(shown));
    // Replacing the own database (or its journal) with an upload file would lose every declaration.
    const QString dbFile = QFileInfo(db.connection().databaseName()).canonicalFilePath();
    const QString canonical = target.canonicalFilePath();
    if (!dbFile.isEmpty() && !canonical.isEmpty() &&
        (canonical == dbFile || canonical == dbFile + QStringLiteral("-wal") ||
         canonical == dbFile + QStringLiteral("-shm") || canonical == dbFile + QStringLiteral("-journal")))
        return fileProblem(QStringLiteral("“%1”是本系统的数据库文件，不能用作上传文件。").arg(shown));
    const QFileInfo folder(target.absolutePath());
    if (!folder.exists())
        return fileProblem(QStringLiteral("文件夹“%1”不存在，上传文件没有生成。")
                               .arg(QDir::toNativeSeparators(folder.absoluteFilePath())));
    if (!folder.isDir())
        return fileProblem(QStringLiteral("“%1”不是文件夹，上传文件没有生成。")
                               .arg(QDir::toNativeSeparators(folder.absoluteFilePath())));

    QByteArray bytes;
    if (auto problem = UploadFileWriter(db).build(appId, bytes))
        return problem;

    // The file replaces the old one only when all of it is on disk. Unbuffered, because a buffered QSaveFile
    // does not notice a short write while it flushes on commit (a full disk would pass as success); a short
    // write is retried so that the failing call reports its reason.
    QSaveFile file(absolute);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fileProblem(QStringLiteral("不能创建上传文件“%1”：%2").arg(shown, file.errorString()));
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return fileProblem(QStringLiteral("不能写入上传文件“%1”：%2").arg(shown, reason));
        }
        done += n;
    }
    if (!file.commit())
        return fileProblem(QStringLiteral("不能写入上传文件“%1”：%2").arg(shown, file.errorString()));

    try {
        db.exec(QStringLiteral("update ApplT set UploadResult = ? where AppID = ?"),
                {shown, QVariant::fromValue<qlonglong>(appId)});
    } catch (const DatabaseError& e) {
        UploadProblem p;
        p.kind = UploadProblem::Kind::Database;
        p.message =
            QStringLiteral("上传文件“%1”已经生成，但没能记下它的路径。\r\n").arg(shown) + errorTypeMessage(e);
        return p;
    }
    if (storedPath)
        *storedPath = shown;
    return std::nullopt;
}

void UploadExport::show(const UploadProblem& problem)
{
    if (problem.kind == UploadProblem::Kind::Database)
        m_prompter.message(dialogTitle(), problem.message, Prompter::Icon::Critical, Prompter::Buttons::Ok);
    else
        m_prompter.notice(problem.message, Prompter::Icon::Exclamation);
}

UploadExport::Outcome UploadExport::run(std::optional<qint64> appId)
{
    if (!appId) {
        m_prompter.notice(QStringLiteral("请选择申报表！"));
        return {Status::NoSelection, {}};
    }

    QString proposed;
    Warnings warnings;
    try {
        const Rows header = m_db.select(QStringLiteral("select BookNo, Month from ApplT where AppID = ?"),
                                        {QVariant::fromValue<qlonglong>(*appId)});
        if (header.isEmpty()) {
            m_prompter.notice(QStringLiteral("找不到这张申报表（编号 %1），它可能已被删除。").arg(*appId),
                              Prompter::Icon::Exclamation);
            return {Status::Failed, {}};
        }
        proposed = proposedFileName(header.data[0][0], header.data[0][1]);
        DeclarationDocument doc;
        DeclarationStore(m_db).loadStored(doc, *appId);
        warnings = DeclarationWarnings::check(doc, QDate::currentDate());
    } catch (const DatabaseError& e) {
        m_prompter.message(dialogTitle(), errorTypeMessage(e), Prompter::Icon::Critical,
                           Prompter::Buttons::Ok);
        return {Status::Failed, {}};
    }

    if (!m_prompter.goOnDespite(dialogTitle(), warnings))
        return {Status::Cancelled, {}};

    // The dialog returns a full path; the bare proposal unchanged or nothing counts as cancelled.
    const auto chosen = m_prompter.saveFileName(dialogTitle(), proposed, fileFilter());
    if (!chosen || chosen->isEmpty() || *chosen == proposed)
        return {Status::Cancelled, {}};

    const QFileInfo target(*chosen);
    if (target.exists() && !target.isDir() &&
        !m_prompter.askYesNo(Prompter::noticeTitle(), QStringLiteral("文件已存在是否覆盖？")))
        return {Status::Declined, {}};

    QString stored;
    if (auto problem = writeFile(m_db, *appId, *chosen, &stored)) {
        show(*problem);
        return {Status::Failed, {}};
    }
    m_prompter.notice(QStringLiteral("生成成功！"));
    return {Status::Written, stored};
}

} // namespace zq
