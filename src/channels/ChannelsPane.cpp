#include "ChannelsPane.h"

#include "ChannelBandPlot.h"
#include "graph/PlottingState.h"
#include "scan/WifiCodes.h"
#include "scan/WirelessInterface.h"
#include "shell/Theme.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

// "<b>20 MHz</b> 6, 1, 11 &nbsp; <b>40 MHz</b> 1+5, ..." for one band.
QString choicesLine(const BandScene &scene) {
    QStringList parts;
    for (const WidthChoices &width : scene.best) {
        QStringList names;
        for (const ChannelOption &o : width.best)
            names << choiceText(o).toHtmlEscaped();
        parts << QStringLiteral("<b>%1 MHz:</b> %2").arg(width.widthMhz).arg(names.join(", "));
    }
    return QStringLiteral("Best channels &nbsp; ") + parts.join(QStringLiteral(" &nbsp;&nbsp; "));
}

} // namespace

ChannelsPane::ChannelsPane(const PlottingState &plotting, InterfaceProvider interfaceProvider,
                           QWidget *parent)
    : QWidget(parent)
    , m_plotting(plotting)
    , m_interface(std::move(interfaceProvider)) {
    setObjectName(QStringLiteral("channelsPane"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(
        QStringLiteral("#channelsPane { background: %1; }").arg(Theme::css(Theme::paneWhite)));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    m_empty = new QLabel(QStringLiteral("No networks to place on a channel"), this);
    m_empty->setAlignment(Qt::AlignCenter);
    column->addWidget(m_empty, 1);
    for (BandBox &band : m_bands) {
        band.box = new QWidget(this);
        auto *inner = new QVBoxLayout(band.box);
        inner->setContentsMargins(0, 0, 0, 6);
        inner->setSpacing(2);
        band.plot = new ChannelBandPlot(band.box);
        band.choices = new QLabel(band.box);
        band.choices->setTextFormat(Qt::RichText);
        band.choices->setWordWrap(true); // a narrow window wraps, never clips
        band.choices->setStyleSheet(
            QStringLiteral("color: %1; padding-left: 8px;").arg(Theme::css(Theme::bodyText)));
        inner->addWidget(band.plot, 1);
        inner->addWidget(band.choices);
        column->addWidget(band.box, 1);
        band.box->hide();
        connect(band.plot, &ChannelBandPlot::networkClicked, this, &ChannelsPane::networkClicked);
    }
    // A network plotted or no longer plotted changes colour at once.
    connect(&m_plotting, &PlottingState::configurePlotsRequested, this, [this] {
        m_dirty = true;
        redraw();
    });
    connect(&m_plotting, &PlottingState::legendLabelRemoved, this, [this] {
        m_dirty = true;
        redraw();
    });
}

ChannelsPane::~ChannelsPane() = default;

ChannelBandPlot *ChannelsPane::bandPlot(int band) const {
    return band >= Band::Ghz2_4 && band <= Band::Ghz6 ? m_bands[band - 1].plot : nullptr;
}

QString ChannelsPane::choicesText(int band) const {
    return band >= Band::Ghz2_4 && band <= Band::Ghz6 ? m_bands[band - 1].choices->text()
                                                      : QString();
}

void ChannelsPane::showTick(const NetworkList &records) {
    m_records = records;
    m_dirty = true;
    askForChannels();
    redraw();
}

void ChannelsPane::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    redraw();
}

// Once per interface: a new one (or none) forgets the old list until its own
// answers.
void ChannelsPane::askForChannels() {
    WirelessInterface *iface = m_interface ? m_interface() : nullptr;
    if (iface == m_askedFor.data() && !m_askedFor.isNull())
        return;
    m_askedFor = iface;
    m_kernel.reset();
    if (!iface)
        return;
    iface->readAdapterChannels(
        this, [this, asked = QPointer<WirelessInterface>(iface)](const AdapterChannels &channels) {
            if (asked != m_askedFor)
                return; // an answer for an interface no longer in use
            m_kernel = channels;
            m_dirty = true;
            redraw();
        });
}

// Drawing waits while the pane is hidden; showing it draws what came last.
void ChannelsPane::redraw() {
    if (!m_dirty || !isVisible())
        return;
    m_dirty = false;
    const QList<BandScene> scenes = buildScenes(m_records, m_plotting.colorPool(), m_kernel);
    for (BandBox &band : m_bands)
        band.box->hide();
    for (const BandScene &scene : scenes) {
        BandBox &band = m_bands[scene.band - 1];
        band.plot->showScene(scene);
        band.choices->setText(choicesLine(scene));
        band.box->show();
    }
    m_empty->setVisible(scenes.isEmpty());
}
