// The customize sheet on Qt: a modeless dialog ("customize") with the
// command categories, their commands, the frame's toolbars, and the actions
// that add a command to a toolbar, make, delete and reset bars. Closing it
// closes the sheet (which deletes itself when it was made with new).
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "lathris/customize.h"

namespace lathris::qt {

class CustomizeWidget : public QDialog {
public:
    CustomizeWidget(CBCGToolbarCustomize* sheet, QWidget* parent);
    QListWidget* Categories() const { return categories_; }
    QListWidget* Commands() const { return commands_; }
    QListWidget* Toolbars() const { return toolbars_; }
    // The toolbar a row of the list shows.
    CBCGToolBar* ToolbarAt(int row) const;

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void FillCommands();
    void FillToolbars();
    QPushButton* Button(const char* text, const char* name);
    CBCGToolbarCustomize* sheet_;
    QListWidget* categories_;
    QListWidget* commands_;
    QListWidget* toolbars_;
};

}  // namespace lathris::qt
