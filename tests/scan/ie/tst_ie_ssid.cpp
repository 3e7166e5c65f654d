// SSID bytes to display text: hidden names, UTF-8, and the bytes that must
// show up escaped rather than reorder, break or vanish from a row.

#include "Elements.h"
#include "scan/ie/ElementParser.h"

#include <QTest>

class TestSsidText : public QObject {
    Q_OBJECT

private slots:
    void hidden_data() {
        QTest::addColumn<QByteArray>("ssid");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one zero octet") << QByteArray(1, '\0');
        QTest::newRow("32 zero octets") << QByteArray(32, '\0');
    }
    void hidden() {
        QFETCH(QByteArray, ssid);
        QVERIFY(ie::ssidText(asSpan(ssid)).isNull());
    }

    void text_data() {
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, const QByteArray &in, const QString &out) {
            QTest::newRow(name) << in << out;
        };
        row("plain ASCII", "Lab Cafe, Free", "Lab Cafe, Free");
        row("32 octets", QByteArray(32, 'w'), QString(32, 'w'));
        row("accent and emoji", "Caf\xc3\xa9 \xe2\x98\x95", QString::fromUtf8("Café ☕"));
        row("four-octet emoji", "Go \xf0\x9f\x9a\x80", QString::fromUtf8("Go 🚀"));
        row("backslash stays", "a\\b", "a\\b");
        row("zero octet inside", QByteArray("ab\0c", 4), "ab\\x00c");
        row("trailing zero octet", QByteArray("ab\0", 3), "ab\\x00");
        row("tab", "a\tb", "a\\x09b");
        row("last C0 control", "a\x1f", "a\\x1f");
        row("space after C0", " a", " a");
        row("DEL", "a\x7f", "a\\x7f");
        row("first C1 control", "a\xc2\x80", "a\\xc2\\x80");
        row("last C1 control", "a\xc2\x9f", "a\\xc2\\x9f");
        row("no-break space after C1", "a\xc2\xa0", QString::fromUtf8("a\u00a0"));
        row("right-to-left override",
            "abc\xe2\x80\xae"
            "def",
            "abc\\xe2\\x80\\xae"
            "def");
        row("left-to-right embedding",
            "\xe2\x80\xaa"
            "a",
            "\\xe2\\x80\\xaa"
            "a");
        row("left-to-right mark", "a\xe2\x80\x8e", "a\\xe2\\x80\\x8e");
        row("zero width joiner stays", "a\xe2\x80\x8d", QString::fromUtf8("a\u200d"));
        row("paragraph separator", "a\xe2\x80\xa9", "a\\xe2\\x80\\xa9");
        row("narrow no-break space stays", "a\xe2\x80\xaf", QString::fromUtf8("a\u202f"));
        row("first isolate",
            "\xe2\x81\xa6"
            "a",
            "\\xe2\\x81\\xa6"
            "a");
        row("pop directional isolate", "a\xe2\x81\xa9", "a\\xe2\\x81\\xa9");
        row("superscript zero after isolates", "a\xe2\x81\xb0", QString::fromUtf8("a\u2070"));
        row("Latin-1 byte", "Caf\xe9", "Caf\\xe9");
        row("lone continuation",
            "\x80"
            "a",
            "\\x80"
            "a");
        row("overlong slash", "\xc0\xaf", "\\xc0\\xaf");
        row("surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80");
        row("last code point", "\xf4\x8f\xbf\xbf", QString::fromUcs4(U"\U0010ffff", 1));
        row("past the last code point", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80");
        row("sequence cut at the end", "ab\xe2\x98", "ab\\xe2\\x98");
        row("bad continuation resumes", "\xe2(a", "\\xe2(a");
    }
    void text() {
        QFETCH(QByteArray, ssid);
        QTEST(ie::ssidText(asSpan(ssid)), "text");
    }
};

QTEST_GUILESS_MAIN(TestSsidText)
#include "tst_ie_ssid.moc"
