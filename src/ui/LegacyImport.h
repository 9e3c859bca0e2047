#pragma once

#include "core/AppContext.h"

class QWidget;

namespace zq::ui {

// 文件 → 导入旧版数据库…: asks for the old program's database file, takes its data over into the own
// database under a progress dialog with Cancel, and ends with one message (the counts, or why nothing was
// taken over).
void importOldDatabase(const AppContext& ctx, QWidget* parent);

} // namespace zq::ui
