// The sheet scanner against QXmlStreamReader: the same elements, attributes and texts on what
// workbooks hold, the same refusals on what is not XML, also when a token crosses the scanner's
// reading blocks; and thousands of damaged sheets read alike by both.
#include "import/ConfrontoXml.h"

#include <QtTest>

namespace {

QString descrivi(const LetturaXml& l)
{
    return (l.rifiutata ? QStringLiteral("refused: ") : QStringLiteral("read: ")) +
           l.eventi.join(QLatin1Char(' ')).left(600);
}

// A sheet as the writers make it: shared and inline strings, numbers, styles, blanks between rows.
QByteArray foglioTipico(int righe)
{
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                   "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "xmlns:r=\"http://r\"><dimension ref=\"A1:C9\"/><sheetData>\n";
    for (int i = 1; i <= righe; ++i) {
        const QByteArray n = QByteArray::number(i);
        x += "  <row r=\"" + n + "\" spans=\"1:3\">\n    <c r=\"A" + n + "\" t=\"s\"><v>" + n + "</v></c><c r=\"B" + n +
             "\" s=\"2\"><v>" + QByteArray::number(i * 1.25) + "</v></c><c r=\"C" + n +
             "\" t=\"inlineStr\"><is><r><t xml:space=\"preserve\">Caff\xc3\xa8 &amp; </t></r><r><t>l&#39;olio " + n +
             "</t></r></is></c>\n  </row>\n";
    }
    return x + "</sheetData><pageMargins left=\"0.7\"/></worksheet>";
}

} // namespace

class TstScansioneXml : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void comeIlLettoreDiQt_data()
    {
        QTest::addColumn<QByteArray>("xml");
        const QByteArray lungo(200000, 'a');
        const QList<QPair<const char*, QByteArray>> casi = {
            {"typical sheet", foglioTipico(5)},
            {"declaration with blanks", "<?xml  version = \"1.0\"  encoding=\"UTF-8\"  standalone=\"no\" ?><a/>"},
            {"byte-order mark", "\xef\xbb\xbf<a><b r='B2'>x</b></a>"},
            {"prefixed elements", "<x:a xmlns:x='u'><x:row><x:c r='A1'><x:v>1</x:v></x:c></x:row></x:a>"},
            {"references in texts and values", "<a t='&#115;' r='&lt;&gt;&amp;&quot;&apos;'>&#x1F600;&#233;&lt;</a>"},
            {"line ends in texts and values", "<a r='x\ty\r\nz\rw'>a\r\nb\rc\n\r\nd</a>"},
            {"CDATA, comments and instructions", "<a><!-- c --><?pi x?><![CDATA[<v>&amp;\r\n]]>t<!----></a>"},
            {"blanks in tags", "<a  r = \"1\"\n t='2' ><b\t/></a >"},
            {"attribute names Qt's reader takes", "<a $b='1' c\x01d='2' ^e='3' f~{}='4' \xc3\x97='5'/>"},
            {"letters beyond ASCII in names", "<\xc3\xa9l\xe3\x81\x82 \xc3\xa9='1'/>"},
            {"a sign beyond ASCII in an element name", "<a\xc3\x97/>"},
            {"an emoji in an element name", "<a\xf0\x9f\x98\x80/>"},
            {"text around the root", "\n<a>x</a>\n<!-- after -->\n"},
            {"a text past the reading block", "<a><t>" + lungo + "</t></a>"},
            {"a tag past the reading block", "<a><b r='" + lungo + "'/></a>"},
            {"a comment past the reading block", "<a><!--" + lungo + "--><b/></a>"},
            {"CDATA past the reading block", "<a><![CDATA[" + lungo + "]]></a>"},
            {"many rows", foglioTipico(3000)},
            {"declared other encoding", "<?xml version='1.0' encoding='utf8'?><a/>"},
            // Refused alike:
            {"mismatched tags", "<a><b></a></b>"},
            {"unclosed root", "<a><b/>"},
            {"unclosed tag", "<a><b r='1'"},
            {"empty", ""},
            {"blanks only", "  \n"},
            {"text before the root", "x<a/>"},
            {"content after the root", "<a/><b/>"},
            {"text after the root", "<a/>x"},
            {"undeclared entity", "<a>&b;</a>"},
            {"reference without end", "<a>&#65</a>"},
            {"reference to NUL", "<a>&#0;</a>"},
            {"reference to a surrogate", "<a>&#xD800;</a>"},
            {"empty hex reference", "<a>&#x;</a>"},
            {"control character", "<a>\x01</a>"},
            {"noncharacter U+FFFE", "<a>\xef\xbf\xbe</a>"},
            {"invalid UTF-8", "<a>\xc3\x28</a>"},
            {"overlong UTF-8", "<a>\xc0\x80</a>"},
            {"UTF-8 surrogate", "<a>\xed\xa0\x80</a>"},
            {"invalid UTF-8 in a name", "<a\xff/>"},
            {"invalid UTF-8 in a comment", "<a><!-- \xff --></a>"},
            {"']]>' in a text", "<a>]]></a>"},
            {"'--' in a comment", "<a><!-- x -- y --></a>"},
            {"'<' in a value", "<a b='<'/>"},
            {"repeated attribute", "<a b='1' b='2'/>"},
            {"attributes without a blank", "<a b=\"1\"c=\"2\"/>"},
            {"attribute without value", "<a b/>"},
            {"value without quotes", "<a b=1/>"},
            {"blank after '/'", "<a b='1'/ >"},
            {"name starting with a digit", "<1a/>"},
            {"undeclared element prefix", "<p:a/>"},
            {"undeclared attribute prefix", "<a p:b='1'/>"},
            {"prefix out of scope", "<a><b xmlns:p='u'/><p:c/></a>"},
            {"empty prefix declaration", "<a xmlns:p=''/>"},
            {"declaration not at the start", " <?xml version='1.0'?><a/>"},
            {"declaration inside", "<a>x<?xml y?></a>"},
            {"declaration without version", "<?xml encoding='UTF-8'?><a/>"},
            {"declaration of version 1.1", "<?xml version='1.1'?><a/>"},
            {"declaration out of order", "<?xml version='1.0' standalone='yes' encoding='UTF-8'?><a/>"},
            {"declaration with another name", "<?xml version='1.0' foo='x'?><a/>"},
            {"declaration in capitals", "<?XML version='1.0'?><a/>"},
            {"instruction named like a declaration", "<?xmlfoo?><a/>"},
            {"instructions Qt's reader takes", "<?x$?><?$x?><?x.y?><?x\xc3\x97?><?x\x01?><a/>"},
            {"instruction with a colon", "<?x:y?><a/>"},
            {"instruction names with data", "<?}ml v?><a/>"},
            {"instruction names with data 2", "<?$x d?><a/>"},
            {"instruction names with data 3", "<?x$ d?><a/>"},
            {"instruction names with data 4", "<?_x.-1 d?><?\xc3\xa9 d?><a/>"},
            {"instruction names with data 5", "<?\xc3\x97 d?><a/>"},
            {"instruction names with data 6", "<?x:y d?><a/>"},
            {"instruction names with data 7", "<?x\xf0\x9f\x98\x80 d?><a/>"},
            {"instruction names with data 8", "<?x\xc2\xb7\xcc\x80 d?><a/>"},
            {"instruction names with data 9", "<?-x d?><a/>"},
            {"instruction names with data 10", "<?x\x01 d?><a/>"},
            {"instruction with text after signs", "<?x$ml v='1'?><a/>"},
            {"colon first", "<:a/>"},
            {"colon last", "<a: xmlns:a='u'/>"},
            {"two colons", "<a:b:c xmlns:a='u'/>"},
            {"CDATA outside the root", "<![CDATA[x]]><a/>"},
            {"sequences cut short after the root", "<a>[x]>y]\r\nz</a>\xe8"},
            {"cut short after blanks and a comment", "<a/> <!-- c --> \xf0\x9f\x98"},
            {"cut short after an overlong start", "<a/>\xe0\x80"},
            {"cut short after text after the root", "<a/>x\xe8"},
            {"continuation byte after the root", "<a/>\x80"},
            {"cut short then a blank", "<a/>\xe8 "},
            {"bad lead byte after the root", "<a/>\xf5"},
            {"cut short inside the root", "<a>z\xe8"},
        };
        for (const auto& [nome, xml] : casi)
            QTest::newRow(nome) << xml;
    }
    void comeIlLettoreDiQt()
    {
        QFETCH(QByteArray, xml);
        const auto s = letturaScansione(xml);
        QVERIFY(s.has_value());
        const LetturaXml q = letturaQt(xml);
        QVERIFY2(*s == q, qPrintable(QStringLiteral("scanner %1\nQt %2").arg(descrivi(*s), descrivi(q))));
    }

    // XML allows no NUL. Qt's reader takes one inside a name or an instruction and drops the
    // attribute it stands in; the scanner refuses it wherever it is.
    void nulRifiutato()
    {
        // '@' stands for the NUL.
        for (const char* caso :
             {"<a x@y='1'/>", "<?x@?><a/>", "<a xm@@Ix='u'/>", "<a>x@y</a>", "<a b='1@'/>", "<a/>@"}) {
            const QByteArray xml = QByteArray(caso).replace('@', '\0');
            const auto s = letturaScansione(xml);
            QVERIFY2(s && s->rifiutata, xml.toPercentEncoding().constData());
        }
    }

    // Parts in another encoding are left to Qt's reader; a DTD, which Qt's reader would expand,
    // is refused.
    void altreCodificheEDtd()
    {
        const auto dtd = letturaScansione("<!DOCTYPE a [<!ENTITY b 'c'>]><a>&b;</a>");
        QVERIFY(dtd.has_value() && dtd->rifiutata);
        QByteArray utf16 = "\xff\xfe";
        for (char c : QByteArray("<a>x</a>"))
            utf16 += QByteArray(1, c) + '\0';
        QVERIFY(!letturaScansione(utf16).has_value());
        QVERIFY(!letturaScansione("<?xml version='1.0' encoding='ISO-8859-1'?><a>\xe8</a>").has_value());
        QVERIFY(!letturaScansione(QByteArray("<\0a\0/\0>\0", 8)).has_value());
        QVERIFY(letturaScansione("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>").has_value());
        QVERIFY(letturaScansione("<?xml version=\"1.0\"?><a/>").has_value());
    }

    // What would cost time or memory out of measure: a tag of 80,000 attributes (the duplicate
    // among them still found), 200,000 names beyond ASCII, 100,000 elements each inside the
    // other, a text of 20 MiB.
    void elementiOstili()
    {
        QByteArray tag = "<a";
        for (int i = 0; i < 80000; ++i)
            tag += " b" + QByteArray::number(i * 7919 % 80000) + "=''";
        QElapsedTimer t;
        t.start();
        const auto distinti = letturaScansione(tag + "/>");
        QVERIFY(distinti && !distinti->rifiutata);
        const auto ripetuto = letturaScansione(tag + " b79999='x'/>");
        QVERIFY(ripetuto && ripetuto->rifiutata);
        // Names beyond ASCII, each judged by Qt's reader once, not once an element.
        const auto lettere = letturaScansione("<a>" + QByteArray("<\xc3\xa9\xe3\x81\x82/>").repeated(200000) + "</a>");
        QVERIFY(lettere && !lettere->rifiutata);
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));

        QBuffer b;
        b.setData(QByteArray("<a>").repeated(100000));
        b.open(QIODevice::ReadOnly);
        ScansioneXml x(b);
        QVERIFY(x.utf8());
        int inizi = 0;
        while (!x.atEnd()) {
            x.readNext();
            inizi += x.isStartElement();
        }
        QVERIFY(x.hasError());
        QCOMPARE(inizi, int(ScansioneXml::kMassimaProfondita));

        // A text of 20 MiB is not held whole, even without the workbook's guard before the scanner.
        const auto lungo = letturaScansione("<a>" + QByteArray(20 << 20, 'x') + "</a>");
        QVERIFY(lungo && lungo->rifiutata);
    }

    // A sheet damaged at random places, by bytes XML gives meaning to: both readers agree every time.
    void fogliDanneggiati()
    {
        const QByteArray buono = foglioTipico(12);
        const QByteArray speciali = "<>/&;\"'=!-[]?:x \r\n\t\xc3\xa8\xc3\x97\xf0\x9f\x98\x80\xff\x01#}$";
        quint32 seme = 12345;
        const auto caso = [&](quint32 n) {
            seme = seme * 1103515245u + 12345u;
            return (seme >> 8) % n;
        };
        int rifiutate = 0;
        for (int i = 0; i < 3000; ++i) {
            QByteArray b = buono;
            for (int k = 0, volte = 1 + int(caso(3)); k < volte; ++k) {
                const int pos = int(caso(quint32(b.size())));
                switch (caso(3)) {
                case 0:
                    b[pos] = speciali.at(int(caso(quint32(speciali.size()))));
                    break;
                case 1:
                    b.remove(pos, 1 + int(caso(4)));
                    break;
                default:
                    b.insert(pos, speciali.at(int(caso(quint32(speciali.size())))));
                    break;
                }
            }
            const auto s = letturaScansione(b);
            if (!s)
                continue;
            const LetturaXml q = letturaQt(b);
            rifiutate += q.rifiutata;
            if (!(*s == q))
                QFAIL(qPrintable(QStringLiteral("%1\nscanner %2\nQt %3")
                                     .arg(QString::fromLatin1(b.toPercentEncoding(" <>/=\"'?!:;&#[]-")), descrivi(*s),
                                          descrivi(q))));
        }
        QVERIFY(rifiutate > 1000); // the damage reached the refusals, not only the texts
    }
};

QTEST_GUILESS_MAIN(TstScansioneXml)
#include "tst_scansionexml.moc"
