// A property sheet on Qt: a tab per page (the page's DialogWidget made on
// first show) and OK, Cancel, Apply running the sheet's logic.
#pragma once

#include <QDialog>
#include <QTabWidget>

#include <map>
#include <memory>

#include "platform/qt/dialog_widget.h"

namespace platform::qt {

class SheetWidget : public QDialog {
public:
    explicit SheetWidget(CPropertySheet& sheet, QWidget* parent = nullptr);
    QTabWidget* Tabs() const { return tabs_; }

private:
    CPropertySheet& sheet_;
    QTabWidget* tabs_;
    std::map<CPropertyPage*, DialogWidget*> pages_;
    bool switching_ = false;
};

}  // namespace platform::qt
