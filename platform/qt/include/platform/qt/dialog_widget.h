// DialogWidget: the widgets of a DialogTemplate (objectName ctl_<id>; DejaVu
// Sans 12 px; one dialog unit is 7/4 px across and 14/8 px down) as the
// DlgItems of a CDialog. Notifications follow Win32: EN_CHANGE also for
// programmatic text, clicks and selections from the user only.
#pragma once

#include <QDialog>

#include <map>
#include <memory>

#include "platform/dialog.h"

class QWidget;

namespace platform::qt {

class DialogWidget : public QDialog, public DlgItems {
public:
    explicit DialogWidget(const DialogTemplate& t, QWidget* parent = nullptr);
    ~DialogWidget() override;
    // Runs `dialog` on these widgets: OnInitDialog now; OK/Cancel clicks end
    // the QDialog when the logic ended.
    void Attach(CDialog& dialog);
    QWidget* Control(int id) const;

    bool Has(int id) const override { return controls_.count(id) != 0; }
    ControlKind Kind(int id) const override;
    std::string GetText(int id) const override;
    void SetText(int id, const std::string& text) override;
    int GetCheck(int id) const override;
    void SetCheck(int id, int check) override;
    void ResetContent(int id) override;
    int AddString(int id, const std::string& text) override;
    int GetCount(int id) const override;
    std::string GetItemText(int id, int index) const override;
    int GetCurSel(int id) const override;
    void SetCurSel(int id, int index) override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) const override;
    void Show(int id, bool show) override;
    void SetFocus(int id) override;
    int GetFocus() const override;
    void SelectAll(int id) override;
    void SetDialogHeight(int units) override { setFixedHeight(UnitsToY(units)); }

    static int UnitsToX(int units) { return units * 7 / 4; }
    static int UnitsToY(int units) { return units * 14 / 8; }

private:
    struct Entry {
        ControlKind kind;
        QWidget* widget;
    };
    class WindowCalls;
    std::map<int, Entry> controls_;
    CDialog* dialog_ = nullptr;
    std::unique_ptr<WindowCalls> host_;  // the dialog's own window calls
    bool programmatic_ = false;
};

}  // namespace platform::qt
