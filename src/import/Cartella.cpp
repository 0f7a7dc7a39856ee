#include "import/Cartella.h"

#include "core/VbConvert.h"
#include "import/ArchivioZip.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <freexl.h>

// ---------------------------------------------------------------- cells

namespace {
const QDate kEpoca(1899, 12, 30);
}

Cella Cella::daNumero(double v)
{
    Cella c;
    c.tipo = Tipo::Numero;
    c.numero = v;
    return c;
}

Cella Cella::daTesto(const QString& t)
{
    Cella c;
    c.tipo = Tipo::Testo;
    c.testo = t;
    return c;
}

Cella Cella::daBooleano(bool b)
{
    Cella c;
    c.tipo = Tipo::Booleano;
    c.booleano = b;
    return c;
}

Cella Cella::daSerialeData(double serial)
{
    Cella c;
    c.tipo = Tipo::Data;
    c.numero = serial;
    return c;
}

QString Cella::comeTesto() const
{
    switch (tipo) {
    case Tipo::Vuota:
        return {};
    case Tipo::Testo:
        return testo;
    case Tipo::Numero:
        return Vb::cstr(numero);
    case Tipo::Booleano:
        return booleano ? QStringLiteral("Vero") : QStringLiteral("Falso");
    case Tipo::Data: {
        if (!std::isfinite(numero) || std::fabs(numero) > 3e6)
            return Vb::cstr(numero);
        const double giorni = std::floor(numero);
        const qint64 secondi = std::llround((numero - giorni) * 86400.0);
        const QDate d = kEpoca.addDays(qint64(giorni));
        QString s = Vb::formatDate(d);
        if (secondi > 0 && secondi < 86400)
            s += QLatin1Char(' ') + Vb::formatTime(QTime(0, 0).addSecs(int(secondi)));
        else if (giorni == 0 && secondi == 0)
            s = Vb::formatTime(QTime(0, 0));
        return s;
    }
    }
    return {};
}

// ---------------------------------------------------------------- .xlsx

namespace {

// Column index of a reference such as "AB12" (A = 0); -1 when there are no letters.
int colonnaDaRiferimento(QStringView r)
{
    int c = 0;
    int n = 0;
    for (QChar ch : r) {
        const char16_t u = ch.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            break;
        c = c * 26 + (u - u'A' + 1);
        if (++n > 3)
            return -1;
    }
    return n == 0 ? -1 : c - 1;
}

// A part name inside the package: absolute targets start at the root, relative ones at `base`.
QString risolvi(const QString& base, const QString& target)
{
    QString t = target;
    t.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parti;
    if (!t.startsWith(QLatin1Char('/')))
        parti = base.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& p : t.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (p == QLatin1String(".."))
            (void)(parti.isEmpty() ? void() : parti.removeLast());
        else if (p != QLatin1String("."))
            parti << p;
    }
    return parti.join(QLatin1Char('/'));
}

QString cartellaDi(const QString& part)
{
    const int i = part.lastIndexOf(QLatin1Char('/'));
    return i < 0 ? QString() : part.left(i);
}

bool formatoData(int id, const QHash<int, QString>& personalizzati)
{
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58))
        return true;
    const auto it = personalizzati.find(id);
    if (it == personalizzati.end())
        return false;
    // Date letters outside quoted text, escapes and [colour] brackets.
    bool virgolette = false;
    bool parentesi = false;
    const QString& f = *it;
    for (int i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == QLatin1Char('"'))
            virgolette = !virgolette;
        else if (virgolette)
            continue;
        else if (c == QLatin1Char('\\'))
            ++i;
        else if (c == QLatin1Char('['))
            parentesi = true;
        else if (c == QLatin1Char(']'))
            parentesi = false;
        else if (!parentesi && QStringLiteral("dmyhsDMYHS").contains(c))
            return true;
    }
    return false;
}

class CartellaXlsx final : public Cartella
{
public:
    bool apri(const QString& path, QString* errore);
    QStringList fogli() const override { return m_nomi; }
    bool leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga, QString* errore,
                     int* colonne) const override;

private:
    bool leggiParte(const QString& nome, QByteArray& out) const
    {
        QString e;
        return m_zip.leggi(nome, out, &e);
    }
    QHash<QString, QString> relazioni(const QString& part) const;

    ArchivioZip m_zip;
    QStringList m_nomi;
    QStringList m_parti; // the sheet part of each name
    QStringList m_stringhe;
    QVector<bool> m_stiliData;
};

// Id -> target part of a part's relationships ("_rels/<name>.rels" beside it).
QHash<QString, QString> CartellaXlsx::relazioni(const QString& part) const
{
    QHash<QString, QString> r;
    const QString dir = cartellaDi(part);
    const QString nome = part.mid(dir.isEmpty() ? 0 : dir.size() + 1);
    QByteArray xml;
    if (!leggiParte((dir.isEmpty() ? QString() : dir + QLatin1Char('/')) + QStringLiteral("_rels/") + nome +
                        QStringLiteral(".rels"),
                    xml))
        return r;
    QXmlStreamReader x(xml);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("Relationship")) {
            const auto a = x.attributes();
            QString t = a.value(QLatin1String("Type")).toString();
            t = t.mid(t.lastIndexOf(QLatin1Char('/')) + 1);
            r.insert(a.value(QLatin1String("Id")).toString(),
                     t + QLatin1Char('|') + risolvi(dir, a.value(QLatin1String("Target")).toString()));
        }
    }
    return r;
}

bool CartellaXlsx::apri(const QString& path, QString* errore)
{
    if (!m_zip.apri(path, errore))
        return false;
    // The workbook part, from the package relationships (absolute or relative target).
    QString wb;
    for (const QString& v : relazioni(QString())) {
        if (v.startsWith(QLatin1String("officeDocument|")))
            wb = v.section(QLatin1Char('|'), 1);
    }
    if (wb.isEmpty())
        wb = QStringLiteral("xl/workbook.xml");
    QByteArray xml;
    if (!leggiParte(wb, xml)) {
        *errore = QStringLiteral("cartella di lavoro assente");
        return false;
    }
    const QHash<QString, QString> rel = relazioni(wb);
    {
        QXmlStreamReader x(xml);
        bool trovato = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("sheet")) {
                trovato = true;
                const auto a = x.attributes();
                QString id;
                for (const auto& at : a) {
                    if (at.name() == QLatin1String("id"))
                        id = at.value().toString();
                }
                const QString v = rel.value(id);
                if (!v.startsWith(QLatin1String("worksheet|")))
                    continue; // chart sheets and the like hold no rows
                m_nomi << a.value(QLatin1String("name")).toString() + QLatin1Char('$');
                m_parti << v.section(QLatin1Char('|'), 1);
            }
        }
        if (x.hasError() || !trovato) {
            *errore = QStringLiteral("cartella di lavoro non valida");
            return false;
        }
    }
    QString parteStringhe, parteStili;
    for (const QString& v : rel) {
        if (v.startsWith(QLatin1String("sharedStrings|")))
            parteStringhe = v.section(QLatin1Char('|'), 1);
        else if (v.startsWith(QLatin1String("styles|")))
            parteStili = v.section(QLatin1Char('|'), 1);
    }
    if (!parteStringhe.isEmpty()) {
        if (!leggiParte(parteStringhe, xml)) {
            *errore = QStringLiteral("testi condivisi non leggibili");
            return false;
        }
        QXmlStreamReader x(xml);
        QString cur;
        int profondita = 0; // inside <rPh> (phonetic runs) text is not part of the value
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement()) {
                if (x.name() == QLatin1String("si"))
                    cur.clear();
                else if (x.name() == QLatin1String("rPh"))
                    ++profondita;
                else if (x.name() == QLatin1String("t") && profondita == 0)
                    cur += x.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (x.isEndElement()) {
                if (x.name() == QLatin1String("si"))
                    m_stringhe << cur;
                else if (x.name() == QLatin1String("rPh"))
                    --profondita;
            }
        }
        if (x.hasError()) {
            *errore = QStringLiteral("testi condivisi non validi");
            return false;
        }
    }
    if (!parteStili.isEmpty() && leggiParte(parteStili, xml)) {
        QXmlStreamReader x(xml);
        QHash<int, QString> formati;
        bool inXfs = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement()) {
                if (x.name() == QLatin1String("numFmt"))
                    formati.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(),
                                   x.attributes().value(QLatin1String("formatCode")).toString());
                else if (x.name() == QLatin1String("cellXfs"))
                    inXfs = true;
                else if (inXfs && x.name() == QLatin1String("xf"))
                    m_stiliData << formatoData(x.attributes().value(QLatin1String("numFmtId")).toInt(), formati);
            } else if (x.isEndElement() && x.name() == QLatin1String("cellXfs")) {
                inXfs = false;
            }
        }
    }
    return true;
}

bool CartellaXlsx::leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga,
                               QString* errore, int* colonne) const
{
    int larghezza = 0;
    const int i = m_nomi.indexOf(foglio);
    if (i < 0) {
        *errore = QStringLiteral("foglio inesistente");
        return false;
    }
    const auto f = m_zip.flusso(m_parti.at(i), errore);
    if (!f)
        return false;
    QXmlStreamReader x(f.get());
    RigaCelle celle;
    bool intestazione = true;
    bool inRiga = false;
    bool continua = true;
    while (continua && !x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            if (x.name() == QLatin1String("row")) {
                celle.clear();
                inRiga = true;
            } else if (inRiga && x.name() == QLatin1String("c")) {
                const auto a = x.attributes();
                int col = colonnaDaRiferimento(a.value(QLatin1String("r")));
                if (col < 0)
                    col = int(celle.size());
                if (col > 16383) {
                    *errore = QStringLiteral("colonna fuori misura");
                    return false;
                }
                const QString t = a.value(QLatin1String("t")).toString();
                const int stile = a.value(QLatin1String("s")).toInt();
                QString valore;
                QString inlinea;
                bool haValore = false;
                while (!x.atEnd()) {
                    x.readNext();
                    if (x.isEndElement() && x.name() == QLatin1String("c"))
                        break;
                    if (x.isStartElement()) {
                        if (x.name() == QLatin1String("v")) {
                            valore = x.readElementText();
                            haValore = true;
                        } else if (x.name() == QLatin1String("is")) {
                            inlinea = x.readElementText(QXmlStreamReader::IncludeChildElements);
                            haValore = true;
                        }
                    }
                }
                Cella c;
                if (haValore) {
                    if (t == QLatin1String("s")) {
                        bool ok = false;
                        const int k = valore.trimmed().toInt(&ok);
                        if (!ok || k < 0 || k >= m_stringhe.size()) {
                            *errore = QStringLiteral("testo condiviso inesistente");
                            return false;
                        }
                        c = Cella::daTesto(m_stringhe.at(k));
                    } else if (t == QLatin1String("inlineStr")) {
                        c = Cella::daTesto(inlinea);
                    } else if (t == QLatin1String("str")) {
                        c = Cella::daTesto(valore);
                    } else if (t == QLatin1String("b")) {
                        c = Cella::daBooleano(valore.trimmed() == QLatin1String("1"));
                    } else if (t == QLatin1String("e")) {
                        // an error value reads as an empty cell
                    } else if (t == QLatin1String("d")) {
                        const QDateTime dt = QDateTime::fromString(valore.trimmed(), Qt::ISODate);
                        if (dt.isValid())
                            c = Cella::daSerialeData(double(kEpoca.daysTo(dt.date())) +
                                                     dt.time().msecsSinceStartOfDay() / 86400000.0);
                    } else {
                        bool ok = false;
                        const double v = valore.trimmed().toDouble(&ok);
                        if (ok && std::isfinite(v))
                            c = (stile >= 0 && stile < m_stiliData.size() && m_stiliData.at(stile))
                                    ? Cella::daSerialeData(v)
                                    : Cella::daNumero(v);
                    }
                }
                if (!c.vuota()) {
                    if (celle.size() <= col)
                        celle.resize(col + 1);
                    celle[col] = c;
                } else if (celle.size() <= col) {
                    celle.resize(col + 1);
                }
            }
        } else if (x.isEndElement() && x.name() == QLatin1String("row")) {
            inRiga = false;
            larghezza = std::max(larghezza, int(celle.size()));
            if (colonne)
                *colonne = larghezza;
            if (intestazione)
                intestazione = false;
            else
                continua = riga(celle);
        }
    }
    if (continua && danneggiato(*f)) {
        *errore = QStringLiteral("foglio danneggiato");
        return false;
    }
    if (x.hasError() && continua) {
        *errore = QStringLiteral("foglio non valido: ") + x.errorString();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- .xls

class CartellaXls final : public Cartella
{
public:
    ~CartellaXls() override
    {
        if (m_h)
            freexl_close(m_h);
    }
    bool apri(const QString& path, QString* errore);
    QStringList fogli() const override { return m_nomi; }
    bool leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga, QString* errore,
                     int* colonne) const override;

private:
    const void* m_h = nullptr;
    QStringList m_nomi;
};

bool CartellaXls::apri(const QString& path, QString* errore)
{
    const QByteArray p = QFile::encodeName(path);
    if (freexl_open(p.constData(), &m_h) != FREEXL_OK) {
        if (m_h)
            freexl_close(m_h);
        m_h = nullptr;
        *errore = QStringLiteral("file .xls non leggibile o protetto");
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(m_h, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK || info != FREEXL_BIFF_PLAIN) {
        *errore = QStringLiteral("file .xls protetto da password");
        return false;
    }
    unsigned int n = 0;
    if (freexl_get_info(m_h, FREEXL_BIFF_SHEET_COUNT, &n) != FREEXL_OK || n > 65535) {
        *errore = QStringLiteral("file .xls non valido");
        return false;
    }
    for (unsigned int i = 0; i < n; ++i) {
        const char* nome = nullptr;
        if (freexl_get_worksheet_name(m_h, (unsigned short)i, &nome) != FREEXL_OK || !nome) {
            *errore = QStringLiteral("file .xls non valido");
            return false;
        }
        m_nomi << QString::fromUtf8(nome) + QLatin1Char('$');
    }
    return true;
}

Cella cellaXls(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return Cella::daNumero(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return Cella::daNumero(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return Cella::daTesto(QString::fromUtf8(v.value.text_value));
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        const QString t = QString::fromUtf8(v.value.text_value);
        double serial = 0;
        if (v.type != FREEXL_CELL_TIME) {
            const QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
            if (!d.isValid())
                return Cella::daTesto(t);
            serial = double(kEpoca.daysTo(d));
        }
        const QString ora = v.type == FREEXL_CELL_TIME ? t : t.mid(11);
        const QTime tm = QTime::fromString(ora.left(8), QStringLiteral("hh:mm:ss"));
        if (tm.isValid())
            serial += tm.msecsSinceStartOfDay() / 86400000.0;
        return Cella::daSerialeData(serial);
    }
    default:
        return {};
    }
}

bool CartellaXls::leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga, QString* errore,
                              int* larghezza) const
{
    const int i = m_nomi.indexOf(foglio);
    unsigned int righe = 0;
    unsigned short colonne = 0;
    if (i < 0 || freexl_select_active_worksheet(m_h, (unsigned short)i) != FREEXL_OK ||
        freexl_worksheet_dimensions(m_h, &righe, &colonne) != FREEXL_OK) {
        *errore = QStringLiteral("foglio non leggibile");
        return false;
    }
    if (larghezza)
        *larghezza = righe > 0 ? colonne : 0;
    RigaCelle celle;
    for (unsigned int r = 1; r < righe; ++r) {
        celle.fill(Cella(), colonne);
        for (unsigned short c = 0; c < colonne; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(m_h, r, c, &v) == FREEXL_OK)
                celle[c] = cellaXls(v);
        }
        if (!riga(celle))
            break;
    }
    return true;
}

} // namespace

std::unique_ptr<Cartella> apriCartellaXlsx(const QString& path, QString* errore)
{
    auto c = std::make_unique<CartellaXlsx>();
    if (!c->apri(path, errore))
        return nullptr;
    return c;
}

std::unique_ptr<Cartella> apriCartellaXls(const QString& path, QString* errore)
{
    auto c = std::make_unique<CartellaXls>();
    if (!c->apri(path, errore))
        return nullptr;
    return c;
}

std::unique_ptr<Cartella> apriCartella(const QString& path, QString* errore)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *errore = f.errorString();
        return nullptr;
    }
    const QByteArray firma = f.read(8);
    f.close();
    if (firma.startsWith("PK\x03\x04"))
        return apriCartellaXlsx(path, errore);
    if (firma == QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return apriCartellaXls(path, errore);
    *errore = QStringLiteral("il file non è una cartella di Excel");
    return nullptr;
}
