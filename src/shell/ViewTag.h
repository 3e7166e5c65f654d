#pragma once

#include <QObject>
#include <QVariant>

// A numeric tag on a view. A drop-down panel rebuild removes every view of
// its host except the ones tagged `kept`, so views placed there for good
// survive every panel change.
namespace ViewTag {

inline constexpr int kept = 100;
inline constexpr char propertyName[] = "airlumeTag";

inline void set(QObject *view, int tag) {
    view->setProperty(propertyName, tag);
}

inline int of(const QObject *view) {
    return view->property(propertyName).toInt(); // 0 when untagged
}

} // namespace ViewTag
