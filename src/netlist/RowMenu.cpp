#include "RowMenu.h"

#include "radar/LocateState.h"

std::optional<RowMenu::Item> RowMenu::menuNeedsUpdate(LocateState &locate, const NetworkList &rows,
                                                      int row, int column) {
    if (row < 0 || column < 0 || row >= rows.size())
        return std::nullopt;
    const Item item = itemFor(locate);
    locate.locateModel = rows.at(row);
    return item;
}

RowMenu::Item RowMenu::itemFor(const LocateState &locate) {
    if (locate.candidateIsLocated())
        return {QStringLiteral("Exit Locate"), Action::ExitLocate};
    return {QStringLiteral("Locate"), Action::Locate};
}
