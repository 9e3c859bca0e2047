// The window library; its windows arrive with the start-up work.
namespace zq::ui {
int placeholder() { return 0; }
} // namespace zq::ui
