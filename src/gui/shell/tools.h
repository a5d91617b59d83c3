#pragma once
namespace fw::gui {
class frmMain;
// Gives every menu entry whose window exists its factory.
void registerTools(frmMain& main);
}  // namespace fw::gui
