#include "AdapterList.h"

AdapterList::~AdapterList() = default;

void AdapterList::take(const QStringList &names) {
    if (names == m_names)
        return;
    m_names = names;
    Q_EMIT changed(m_names);
}
