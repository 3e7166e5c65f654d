#pragma once

#include "scan/NetworkModel.h"

#include <QString>
#include <optional>

struct LocateState;

// The one item of the table's row menu. The item is chosen from the locate
// candidate as it stood before the click; only then does the clicked row
// become the candidate. So while X is located, a right-click on another row
// still offers "Exit Locate" for X.
class RowMenu {
public:
    enum class Action { Locate, ExitLocate };
    struct Item {
        QString title;
        Action action = Action::Locate;
        bool operator==(const Item &) const = default;
    };

    // A right-click at (row, column) of the rows shown. Returns the item to
    // show, or nothing when the click missed the cells: the menu then keeps
    // its previous item and the candidate stays as it was.
    static std::optional<Item> menuNeedsUpdate(LocateState &locate, const NetworkList &rows,
                                               int row, int column);

    static Item itemFor(const LocateState &locate);
};
