#pragma once
#include "model/SlipFormat.h"

#include <QObject>
#include <QPointF>
#include <functional>

class QMenu;
class QWidget;

namespace slip {

class SlipView;

// The right-click menus of the canvas: the box menu over a box or line and
// the slip menu over the empty slip. Every item works on the format model;
// the work that lives elsewhere comes in through the hooks, and an item whose
// hook is not set stands disabled. While the format is locked the box
// menu's properties, adding and deleting stand disabled.
class SlipMenus : public QObject {
    Q_OBJECT
public:
    SlipMenus(SlipFormat& format, SlipView* canvas, QWidget* parent);

    struct Hooks {
        // Shows the property dialog of a box ("设置内容框").
        std::function<void(QWidget* parent, SlipFormat& format, BoxId id)> openProperties;
        std::function<void()> replaceBackground;
        std::function<void()> clearBackground;
        // Gives the date boxes today's date.
        std::function<void()> autoFillDates;
        // Stores the slip in the history without printing and clears the
        // boxes for the next one ("添加下一张单据").
        std::function<void()> addNextSlip;
        // Prints the slip, then clears the boxes for the next one.
        std::function<void()> printAndAddSlip;
    };
    Hooks hooks;

    // Fills a menu with the items for a box or line (id) or, for id 0, the
    // slip; `atMm` is the slip point that was clicked.
    void FillMenu(QMenu& menu, BoxId id, QPointF atMm);
    // Shows the menu at a global position and runs the chosen item.
    void Popup(BoxId id, QPointF atMm, QPoint globalPos);

    // The items' work.
    // Asks the class of the new box and adds it at the point (mm).
    BoxId AddBoxAsked(QPointF atMm);
    void CopyBoxesAsked(BoxId clicked);
    void DeleteBoxesAsked(BoxId clicked);
    void AddPicture(BoxId id);
    void EnterBarcode(BoxId id);
    void CopyText(BoxId id);
    void PasteText(BoxId id);

private:
    SlipFormat& format_;
    SlipView* canvas_;
    QWidget* parent_;
};

// The classes a box can be added as, with their captions, in class order.
QString BoxKindCaption(BoxKind kind);

} // namespace slip
