#pragma once

#include "core/Money.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QIODevice;

namespace zq {

class Database;

// Why an upload file was not written. The message is complete and meant for the user as it stands.
struct UploadProblem {
    enum class Kind {
        MissingDeclaration, // the declaration's header row does not exist
        Unencodable,        // a character GBK cannot represent
        Separator,          // a comma or a line break inside a value would break the file's cells
        BadAmount,          // an amount column holds something that is not a stored amount
        Database,           // the own database failed
        File,               // the file could not be created or written
    };
    Kind kind = Kind::Database;
    QString message;
    // Where the value stands: the detail row's number (0 for the header block), the column's title as the
    // file shows it ("姓名", "声明人"), and for Unencodable the character itself.
    qint64 row = 0;
    QString column;
    QString character;
};

// Writes one stored declaration (its ApplT header and ApplTInfo rows) as the upload file: 15 header lines,
// then one line per detail row in RowId order; 13 cells per line, GBK without byte-order mark, CR LF after
// every line. Amounts are written "0.00", counts and RowId as plain numbers, the month "yyyy-mm", the date
// "yyyy-mm-dd", BookNo trimmed, other texts unchanged, a null value as empty text.
// The whole file is built in memory first, so a problem found on the last row still writes nothing.
class UploadFileWriter {
public:
    explicit UploadFileWriter(const Database& db);

    // Appends the whole file of declaration appId to out; on a problem out is left unchanged.
    std::optional<UploadProblem> build(qint64 appId, QByteArray& out) const;
    // Writes the whole file to an open device; nothing is written when there is a problem.
    std::optional<UploadProblem> write(qint64 appId, QIODevice& device) const;

    // An amount as the file writes it: no grouping, two decimals rounded half away from zero, "-" for a
    // negative value (the pattern "0.00").
    static void appendAmount(Money amount, QByteArray& out);
    // The withholding agent's declaration that the header block carries (cell A of line 5); the printed form
    // shows the same words.
    static QString declarationText();

private:
    const Database& m_db;
};

} // namespace zq
