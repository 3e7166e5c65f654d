#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// The band under the graph with one label per plotted network: a colour
// swatch and "  SSID BSSID", placed in the slots LegendLayout computes for
// the band's current width. Its height is the layout's bottom padding.
class SignalLegend : public QWidget {
    Q_OBJECT
public:
    struct Entry {
        QString text; // LegendLayout::labelText
        QColor colour;
    };

    explicit SignalLegend(QWidget *parent = nullptr);

    // Lays the labels out again, in this order.
    void rearrangeNetworkLabels(const QList<Entry> &entries);
    const QList<Entry> &entries() const { return m_entries; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<Entry> m_entries;
};
