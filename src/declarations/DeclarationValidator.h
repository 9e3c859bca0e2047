#pragma once

#include "DeclarationDocument.h"

#include <optional>

namespace zq {

// Where the user is taken after a failed check, and what is said.
struct ValidationProblem {
    enum class Target { None, Box, Cell };
    QString message;
    Target target = Target::None;
    HeaderField box = HeaderField::ComputerCode;
    int row = -1;                      // 0-based document row for a cell
    int column = -1;                   // grid column for a cell
    bool scrollColumnIntoView = false; // the number check of a cell also brings its column to the left edge

    static ValidationProblem atBox(QString message, HeaderField f);
    static ValidationProblem atCell(QString message, int row, int column, bool scrollColumn = false);
    static ValidationProblem plain(QString message);
};

// The complete check before a declaration is stored. It tidies the document first (blank rows other than the
// last are deleted, rows renumbered) and keeps that tidying even when a later check fails. The first failing
// check wins; all messages are notices titled "提示信息" with no icon.
class DeclarationValidator {
public:
    static std::optional<ValidationProblem> DoCheckDeclaration(DeclarationDocument& doc);

    // The four small checks, also used by the salary import.
    static std::optional<ValidationProblem> DoCheckBlankTxt(const DeclarationDocument& doc, HeaderField f);
    static std::optional<ValidationProblem> DoCheckBlank(const DeclarationDocument& doc, int row, int column);
    static std::optional<ValidationProblem> DoCheckNumTxt(const DeclarationDocument& doc, HeaderField f);
    static std::optional<ValidationProblem> DoCheckNum(const DeclarationDocument& doc, int row, int column);

    // A declaration of a single detail row without a payment-book number.
    static bool isBookless(const DeclarationDocument& doc);
    // The first pair of rows (0-based, i < j) with the same identity number and income item, as a search of
    // every pair in row order would find it; linear time.
    static std::optional<std::pair<int, int>> firstDuplicatePair(const DeclarationDocument& doc);
};

} // namespace zq
