#pragma once

#include "UploadFileWriter.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace zq {

class Database;
class Prompter;

// The declaration list's "生成上传文件": asks for a file name, writes the upload file of one stored
// declaration and records the file's path in UploadResult. Talks to the user only through the Prompter.
class UploadExport {
public:
    enum class Status {
        NoSelection, // no declaration row was selected ("请选择申报表！" was shown)
        Cancelled,   // the save dialog was cancelled
        Declined,    // the user said No to overwriting an existing file
        Failed,      // one message said why; the database is unchanged, and so is the file unless only
                     // storing its path failed
        Written,     // the file is complete and its path is stored; "生成成功！" was shown
    };
    struct Outcome {
        Status status = Status::Failed;
        QString path; // when Written: the stored path, for the list's "上报文件" column
    };

    UploadExport(Database& db, Prompter& prompter);

    // Runs the button on the declaration of the list's current row; nothing when no row is selected.
    Outcome run(std::optional<qint64> appId);

    // The file name the dialog proposes: the trimmed BookNo, or the month when there is none, then ".CSV".
    static QString proposedFileName(const QVariant& bookNo, const QVariant& month);

    // Writes the upload file to path through QSaveFile and, once the file is complete, stores its absolute
    // path in UploadResult. On a problem the database is unchanged and an existing file at path keeps its
    // content. Shared by the button and the command line; storedPath receives the path as stored.
    static std::optional<UploadProblem> writeFile(Database& db, qint64 appId, const QString& path,
                                                  QString* storedPath = nullptr);

    static QString dialogTitle() { return QStringLiteral("生成上传文件"); }
    static QString fileFilter() { return QStringLiteral("CSV文件(逗号分割) (*.csv)"); }

private:
    void show(const UploadProblem& problem);

    Database& m_db;
    Prompter& m_prompter;
};

} // namespace zq
