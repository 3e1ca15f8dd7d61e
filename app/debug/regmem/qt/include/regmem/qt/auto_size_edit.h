// CAutoSizeEdit on Qt: the one-line edit a view shows over a cell to edit it
// in place. It widens as the text grows past its right edge (never narrows),
// hides itself on Enter (so the view's end of the edit follows as the focus
// leaves it) and reports Escape, which drops the edit.
#pragma once

#include <QLineEdit>

#include <functional>

namespace regmem::qt {

class AutoSizeEdit : public QLineEdit {
public:
    explicit AutoSizeEdit(QWidget* parent = nullptr);

    // The x position after the last character of the first line (at most
    // 256 characters), in the edit's client pixels.
    int TextEnd() const;

    // Called on Escape instead of the key's usual handling.
    std::function<void()> onEscape;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Widen();
};

}  // namespace regmem::qt
