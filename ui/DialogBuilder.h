// Builds a QDialog from a dialog template: caption, icon, font, fixed client
// size, and one widget per template control at the rectangle converted from
// dialog units. A dialog that attaches its own class to a control (the
// framework's subclassing) passes a factory that makes that widget; the
// builder still applies the template's rectangle, text, visibility and tab
// stop to it. Buttons 1 and 2 end the dialog with accept() and reject(), the
// dialog manager's default handling of IDOK and IDCANCEL.
#pragma once

#include "DialogUnits.h"

#include <functional>
#include <utility>
#include <vector>

class QDialog;
class QWidget;

namespace orbit {

class ResourceProvider;

// Returns a widget for `control` made as a child of `parent`, or nullptr to
// get the default widget of the control's kind.
using ControlFactory = std::function<QWidget*(const ControlTemplate& control, QWidget* parent)>;

// The widgets of a built dialog by control id (owned by the dialog).
class DialogControls {
public:
    void add(int id, QWidget* widget) { items.emplace_back(id, widget); }
    // The first widget with this id, or nullptr.
    QWidget* control(int id) const;
    template <typename Widget>
    Widget* controlAs(int id) const
    {
        return qobject_cast<Widget*>(control(id));
    }
    const std::vector<std::pair<int, QWidget*>>& all() const { return items; }
    DialogBaseUnits baseUnits;

private:
    std::vector<std::pair<int, QWidget*>> items;
};

// Applies `dialogTemplate` to `dialog` (which must have no controls yet) and
// creates its controls. The window icon is ICON 128 when the resources hold
// one; without it the dialog keeps Qt's default icon.
DialogControls buildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate, const ResourceProvider& resources,
                           const ControlFactory& factory = {});

} // namespace orbit
