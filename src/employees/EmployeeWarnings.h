#pragma once

#include "EmployeeStore.h"
#include "core/Warning.h"

#include <QDate>

namespace zq {

// The checks of a unit's employee list that may point to a mistake but never stop a save: identity numbers
// of a wrong form (see IdentityNumber) and one number under two names. Rows and columns of the list.
class EmployeeWarnings {
public:
    static Warnings check(const EmployeeRows& rows, const QDate& today);
};

} // namespace zq
