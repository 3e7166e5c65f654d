#pragma once

#include "ElementParser.h"
#include "ElementWalk.h"
#include "scan/WifiCodes.h"

#include <QList>
#include <QtGlobal>

// The small pure steps describeBss() chains: each reads the walked elements
// and answers one question about the BSS.
namespace ie {

// Frequency first; when it is unknown, the DS Parameter Set channel, then the
// HT Operation primary channel, then the HE 6 GHz Operation primary channel.
ChannelOfFrequency channelOf(const ElementSpans &elements, int frequencyMhz);

// Band of a bare channel number: 1-14 2.4 GHz, 32-177 5 GHz, else Unknown.
int bandOfChannel(int channel);

// Width and centre of the channel a BSS occupies: width a ChannelWidth::*
// code, centres channel numbers on the BSS's band (0 when not named).
struct ChannelShape {
    int width = 0;
    int centre = 0;
    int secondCentre = 0; // the other segment of 80+80 MHz
};

// From EHT, HE 6 GHz, VHT, then HT operation, the first that names a width
// the band allows; 20 MHz at the primary channel for a BSS on a known band
// that announces none, Unknown otherwise.
ChannelShape shapeOf(const ElementSpans &elements, int band, int primaryChannel);
// shapeOf's width alone.
int widthOf(const ElementSpans &elements, int band);

// PhyMode::* the BSS supports.
CodeSet phyModesOf(const ElementSpans &elements, int band);

// Security::* a station may join with.
CodeSet securityOf(quint16 capability, const ElementSpans &elements);

// Supported and Extended Supported Rates in kb/s, membership selectors left out.
QList<int> ratesKbps(const ElementSpans &elements);

// The 6 GHz Operation Information inside an HE Operation body (5 octets), or
// empty when absent or cut short.
Bytes heSixGhzOperation(Bytes heOperation);
// The EHT Operation Information inside an EHT Operation body (Control, CCFS0,
// CCFS1), or empty when absent or cut short.
Bytes ehtOperationInformation(Bytes ehtOperation);

} // namespace ie
