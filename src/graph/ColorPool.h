#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

// A plot colour as RGBA fractions; widgets turn it into a QColor.
struct PlotColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    bool operator==(const PlotColor &) const = default;
};

// Hands out plot colours: fourteen fixed ones first, in order, then random
// bright ones. A returned colour goes to the back of the queue, so it is
// reused only after the colours waiting ahead of it.
class ColorPool {
public:
    using RandomSource = std::function<quint32()>;

    explicit ColorPool(RandomSource random = {});

    static QList<PlotColor> initialColors();

    // Gives the BSSID a colour (replacing any earlier one) and returns it.
    PlotColor getColors(const QString &bssid);
    // The BSSID stops being plotted: its colour goes back to the pool.
    void returnColor(const QString &bssid);

    bool hasColor(const QString &bssid) const { return dict.contains(bssid); }
    PlotColor colorFor(const QString &bssid) const { return dict.value(bssid); }

    QList<PlotColor> availableColors; // free colours, next first
    QHash<QString, PlotColor> dict;   // BSSID -> colour; an entry means plotted

private:
    PlotColor randomColor();
    RandomSource m_random;
};
