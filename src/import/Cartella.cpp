#include "import/Cartella.h"

#include "core/ArchivioZip.h"
#include "core/VbConvert.h"
#include "import/LettoreXls.h"
#include "import/ScansioneXml.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

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
    // Blanks alone (what a cleared cell often keeps) are no value either.
    if (std::all_of(t.cbegin(), t.cend(), [](QChar ch) { return ch.isSpace(); }))
        return c;
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

// ---------------------------------------------------------------- reasons

QString Cartella::nonCartella()
{
    return QStringLiteral("il file non è una cartella di lavoro di Excel (.xls o .xlsx)");
}

QString Cartella::danneggiata(const QString& dettaglio)
{
    return QStringLiteral("la cartella di lavoro è danneggiata (%1)").arg(dettaglio);
}

QString Cartella::troppoGrande(const QString& dettaglio)
{
    return QStringLiteral("la cartella di lavoro supera i limiti ammessi (%1)").arg(dettaglio);
}

// ---------------------------------------------------------------- .xlsx

namespace {

constexpr qint64 kParteIntera = qint64(64) << 20;  // workbook, relationships, styles, shared strings
constexpr qint64 kParteFoglio = qint64(256) << 20; // a sheet, read as a stream
constexpr qint64 kMassimoToken = qint64(1) << 20;  // one tag, text run, comment or CDATA section
constexpr int kMassimiTestiCondivisi = 4000000;
constexpr int kMassimeRighe = 1048576;             // the format's own limit
constexpr int kMassimaColonna = 16383;             // column XFD
constexpr qint64 kMassimeCelle = qint64(32) << 20; // cells handed out, counted to each row's last value

// Passes an XML part through while checking that no single token (a tag, a run of text, a
// comment, a CDATA section) grows past kMassimoToken: the XML reader holds a token whole, and a
// 1 GB text in a small compressed part must not become 2 GB of memory. Declarations (a DTD) have
// no place in a workbook and are refused with it.
class GuardiaXml final : public QIODevice
{
public:
    explicit GuardiaXml(QIODevice* sorgente) : m_sorgente(sorgente) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    bool violata() const { return m_violata; }

protected:
    qint64 writeData(const char*, qint64) override { return -1; }
    qint64 readData(char* data, qint64 max) override
    {
        if (m_violata)
            return -1;
        const qint64 n = m_sorgente->read(data, max);
        if (n <= 0)
            return n;
        for (qint64 i = 0; i < n;) {
            // Runs of text and of a tag's inside, where nothing changes state, are counted at once.
            qint64 j = i;
            if (m_stato == Testo) {
                const void* lt = std::memchr(data + i, '<', size_t(n - i));
                j = lt ? static_cast<const char*>(lt) - data : n;
            } else if (m_stato == Tag) {
                while (j < n && data[j] != '>' && data[j] != '"' && data[j] != '\'')
                    ++j;
            }
            if (j > i) {
                m_lunghezza += j - i;
                if (m_lunghezza > kMassimoToken)
                    return viola();
                m_coda[0] = j - i >= 2 ? data[j - 2] : m_coda[1];
                m_coda[1] = data[j - 1];
                i = j;
                continue;
            }
            if (!passa(data[i]))
                return viola();
            ++i;
        }
        return n;
    }

private:
    qint64 viola()
    {
        m_violata = true;
        setErrorString(QStringLiteral("parte XML non ammessa"));
        return -1;
    }

    enum Stato { Testo, Apertura, Esclamativo, InizioCommento, Tag, Virgolette, Commento, CData, Istruzione };

    bool passa(char c)
    {
        if (++m_lunghezza > kMassimoToken)
            return false;
        const char prima = m_coda[1];
        const char primaAncora = m_coda[0];
        m_coda[0] = m_coda[1];
        m_coda[1] = c;
        switch (m_stato) {
        case Testo:
            if (c == '<') {
                m_stato = Apertura;
                m_lunghezza = 0;
            }
            return true;
        case Apertura:
            if (c == '!')
                m_stato = Esclamativo;
            else if (c == '?')
                m_stato = Istruzione;
            else
                return tag(c);
            return true;
        case Esclamativo:
            if (c == '-')
                m_stato = InizioCommento;
            else if (c == '[')
                m_stato = CData;
            else
                return false;
            return true;
        case InizioCommento:
            m_coda[0] = m_coda[1] = 0;
            m_stato = Commento;
            return c == '-';
        case Tag:
            return tag(c);
        case Virgolette:
            if (c == m_virgoletta)
                m_stato = Tag;
            return true;
        case Commento:
            return chiudeSe(c == '>' && prima == '-' && primaAncora == '-');
        case CData:
            return chiudeSe(c == '>' && prima == ']' && primaAncora == ']');
        case Istruzione:
            return chiudeSe(c == '>' && prima == '?');
        }
        return false;
    }
    bool tag(char c)
    {
        m_stato = Tag;
        if (c == '"' || c == '\'') {
            m_virgoletta = c;
            m_stato = Virgolette;
        } else if (c == '>') {
            return chiudeSe(true);
        }
        return true;
    }
    bool chiudeSe(bool chiusa)
    {
        if (chiusa) {
            m_stato = Testo;
            m_lunghezza = 0;
        }
        return true;
    }

    QIODevice* m_sorgente;
    Stato m_stato = Testo;
    qint64 m_lunghezza = 0;
    char m_coda[2] = {0, 0};
    char m_virgoletta = 0;
    bool m_violata = false;
};

// Reads what the XML reader left of a part, so that its CRC is checked even when the document
// ended before the data did; false when the part turned out damaged or too large.
bool finoAllaFine(const FlussoZip& f, GuardiaXml& g)
{
    char resto[1 << 14];
    while (g.read(resto, sizeof resto) > 0) {
    }
    return f.guasto() == GuastoZip::Nessuno && !g.violata();
}

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

// The same questions to either reader: QXmlStreamReader for parts in another encoding than UTF-8,
// ScansioneXml for the others.
bool chiamato(const QXmlStreamReader& x, const char* nome)
{
    return x.name() == QLatin1String(nome);
}
bool chiamato(const ScansioneXml& x, const char* nome)
{
    return x.nome() == QByteArrayView(nome);
}
void aggiungiTesto(const QXmlStreamReader& x, QString& out)
{
    out += x.text();
}
void aggiungiTesto(const ScansioneXml& x, QString& out)
{
    x.aggiungiTesto(out);
}
void attributo(const QXmlStreamReader& x, const char* nome, QString& out)
{
    out = x.attributes().value(QLatin1String(nome)).toString();
}
void attributo(const ScansioneXml& x, const char* nome, QString& out)
{
    x.attributo(nome, out);
}

// A cell's number as QString::toDouble reads it; the plain forms every writer uses are read
// without it (std::from_chars rounds the same, correctly).
double numeroDa(const QString& v, bool* ok)
{
    constexpr qsizetype kMassimo = 40;
    const qsizetype n = v.size();
    if (n > 0 && n <= kMassimo) {
        char b[kMassimo];
        qsizetype i = 0;
        const auto cifre = [&] {
            const qsizetype da = i;
            while (i < n && v.at(i).unicode() >= u'0' && v.at(i).unicode() <= u'9')
                ++i;
            return i > da;
        };
        bool semplice = true;
        if (v.at(0) == u'-')
            ++i;
        semplice = cifre();
        if (semplice && i < n && v.at(i) == u'.') {
            ++i;
            semplice = cifre();
        }
        if (semplice && i < n && (v.at(i) == u'e' || v.at(i) == u'E')) {
            ++i;
            if (i < n && (v.at(i) == u'-' || v.at(i) == u'+'))
                ++i;
            semplice = cifre();
        }
        if (semplice && i == n) {
            for (qsizetype k = 0; k < n; ++k)
                b[k] = char(v.at(k).unicode());
            double d = 0;
            const auto r = std::from_chars(b, b + n, d);
            if (r.ec == std::errc() && r.ptr == b + n) {
                *ok = true;
                return d;
            }
        }
    }
    return v.trimmed().toDouble(ok);
}

// A shared string's index as QString::toInt reads it; plain digits without it.
int indiceDa(const QString& v, bool* ok)
{
    const qsizetype n = v.size();
    if (n > 0 && n <= 9) {
        int k = 0;
        qsizetype i = 0;
        for (; i < n && v.at(i).unicode() >= u'0' && v.at(i).unicode() <= u'9'; ++i)
            k = k * 10 + (v.at(i).unicode() - u'0');
        if (i == n) {
            *ok = true;
            return k;
        }
    }
    return v.trimmed().toInt(ok);
}

// The text of the element the reader stands on (its start), child elements' text included; false
// when it is longer than a cell may be. For a cell's value (`v`).
template <class X> bool testoElemento(X& x, QString& out)
{
    out.resize(0);
    int profondita = 1;
    while (profondita > 0 && !x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            ++profondita;
        } else if (x.isEndElement()) {
            --profondita;
        } else if (x.isCharacters()) {
            aggiungiTesto(x, out);
            if (out.size() > Cartella::kMassimoTestoCella)
                return false;
        }
    }
    return true;
}

// The text of a string item (`si` of the shared strings, `is` of a cell) the reader stands on:
// its `t` elements one after the other, those of rich-text runs (`r`) included, those of phonetic
// runs (`rPh`) left out. What lies between the elements is the writer's layout, not text (Gnumeric
// indents every `t`). A `t` keeps its text as written, blanks included: `xml:space="preserve"`
// asks for that, and Gnumeric writes runs such as "Tonno " without it. False when the text is
// longer than a cell may be.
template <class X> bool testoStringa(X& x, QString& out)
{
    out.resize(0);
    int profondita = 1;
    int fonetica = 0;
    int testo = 0; // depth of `t` elements around the reader
    while (profondita > 0 && !x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            ++profondita;
            if (chiamato(x, "rPh"))
                ++fonetica;
            else if (chiamato(x, "t"))
                ++testo;
        } else if (x.isEndElement()) {
            --profondita;
            if (chiamato(x, "rPh"))
                --fonetica;
            else if (chiamato(x, "t"))
                --testo;
        } else if (x.isCharacters() && testo > 0 && fonetica == 0) {
            aggiungiTesto(x, out);
            if (out.size() > Cartella::kMassimoTestoCella)
                return false;
        }
    }
    return true;
}

class CartellaXlsx final : public Cartella
{
public:
    bool apri(const QString& path, QString* errore);
    QStringList fogli() const override { return m_nomi; }
    bool leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga, QString* errore,
                     int* colonne) const override;

private:
    QHash<QString, QString> relazioni(const QString& part, QString* errore) const;
    // The reason a part's reading stopped: the stream's damage, the guard, else the XML's own error.
    static QString motivo(const QString& parte, const FlussoZip& f, const GuardiaXml& g, const QString& erroreXml);
    template <class X>
    bool righe(X& x, const FlussoZip& f, GuardiaXml& guardia, const QString& parte,
               const std::function<bool(const RigaCelle&)>& riga, QString* errore, int* colonne) const;
    bool leggiTestiCondivisi(const QString& parte, QString* errore);
    template <class X>
    bool testiCondivisi(X& x, const FlussoZip& f, GuardiaXml& guardia, const QString& parte, QString* errore);
    QString testoCondiviso(int k) const
    {
        const quint32 i = m_inizi.at(k);
        return m_blocchi.at(int(i >> kBitBlocco)).mid(i & ((1u << kBitBlocco) - 1), m_lunghezze.at(k));
    }

    ArchivioZip m_zip;
    QStringList m_nomi;
    QStringList m_parti; // the sheet part of each name
    // The shared strings (each cut to kLunghezzaTesto) one after the other in blocks filled once: a
    // single text grown by appending would need twice its size while it grows.
    static constexpr int kBitBlocco = 20;
    QList<QString> m_blocchi;
    QVector<quint32> m_inizi;    // each string's block (the bits above kBitBlocco) and place in it
    QVector<quint8> m_lunghezze; // at most kLunghezzaTesto
    QVector<bool> m_stiliData;
};

QString CartellaXlsx::motivo(const QString& parte, const FlussoZip& f, const GuardiaXml& g, const QString& erroreXml)
{
    if (f.guasto() != GuastoZip::Nessuno)
        return f.errorString();
    if (g.violata())
        return Cartella::troppoGrande(parte + QStringLiteral(": un elemento XML è troppo lungo o non ammesso"));
    return Cartella::danneggiata(parte + QStringLiteral(": XML non valido, ") + erroreXml);
}

// Id -> "type|target part" of a part's relationships ("_rels/<name>.rels" beside it); empty when
// the part has none, and empty with *errore set when they are there but damaged or too large.
QHash<QString, QString> CartellaXlsx::relazioni(const QString& part, QString* errore) const
{
    QHash<QString, QString> r;
    const QString dir = cartellaDi(part);
    const QString nome = part.mid(dir.isEmpty() ? 0 : dir.size() + 1);
    const QString rels = (dir.isEmpty() ? QString() : dir + QLatin1Char('/')) + QStringLiteral("_rels/") + nome +
                         QStringLiteral(".rels");
    GuastoZip g = GuastoZip::Nessuno;
    const auto f = m_zip.flusso(rels, kParteIntera, errore, &g);
    if (!f) {
        if (g == GuastoZip::Assente)
            errore->clear();
        return r;
    }
    GuardiaXml guardia(f.get());
    QXmlStreamReader x(&guardia);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("Relationship")) {
            const auto a = x.attributes();
            QString t = a.value(QLatin1String("Type")).toString();
            t = t.mid(t.lastIndexOf(QLatin1Char('/')) + 1);
            r.insert(a.value(QLatin1String("Id")).toString(),
                     t + QLatin1Char('|') + risolvi(dir, a.value(QLatin1String("Target")).toString()));
            if (r.size() > ArchivioZip::kMassimoVoci) {
                *errore = Cartella::troppoGrande(rels + QStringLiteral(": troppe relazioni"));
                return {};
            }
        }
    }
    if (x.hasError() || !finoAllaFine(*f, guardia)) {
        *errore = motivo(rels, *f, guardia, x.errorString());
        return {};
    }
    return r;
}

bool CartellaXlsx::leggiTestiCondivisi(const QString& parte, QString* errore)
{
    {
        const auto f = m_zip.flusso(parte, kParteIntera, errore);
        if (!f)
            return false;
        GuardiaXml guardia(f.get());
        ScansioneXml x(guardia);
        if (x.utf8())
            return testiCondivisi(x, *f, guardia, parte, errore);
    }
    // Another encoding: the part again from its start, through Qt's reader.
    const auto f = m_zip.flusso(parte, kParteIntera, errore);
    if (!f)
        return false;
    GuardiaXml guardia(f.get());
    QXmlStreamReader x(&guardia);
    return testiCondivisi(x, *f, guardia, parte, errore);
}

template <class X>
bool CartellaXlsx::testiCondivisi(X& x, const FlussoZip& f, GuardiaXml& guardia, const QString& parte, QString* errore)
{
    static_assert(kLunghezzaTesto <= 255, "a length is one byte");
    constexpr qsizetype kBlocco = qsizetype(1) << kBitBlocco;
    QString t;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && chiamato(x, "si")) {
            if (!testoStringa(x, t)) {
                *errore = Cartella::troppoGrande(parte + QStringLiteral(": testo di una cella troppo lungo"));
                return false;
            }
            if (m_lunghezze.size() >= kMassimiTestiCondivisi) {
                *errore = Cartella::troppoGrande(parte + QStringLiteral(": troppi testi"));
                return false;
            }
            const QStringView v = QStringView(t).left(kLunghezzaTesto);
            if (m_blocchi.isEmpty() || m_blocchi.last().size() + v.size() > kBlocco) {
                if (!m_blocchi.isEmpty())
                    m_blocchi.last().squeeze();
                m_blocchi << QString();
                m_blocchi.last().reserve(kBlocco);
            }
            m_inizi << (quint32(m_blocchi.size() - 1) << kBitBlocco | quint32(m_blocchi.last().size()));
            m_lunghezze << quint8(v.size());
            m_blocchi.last() += v;
        }
    }
    if (x.hasError() || !finoAllaFine(f, guardia)) {
        *errore = motivo(parte, f, guardia, x.errorString());
        return false;
    }
    m_inizi.squeeze();
    m_lunghezze.squeeze();
    if (!m_blocchi.isEmpty())
        m_blocchi.last().squeeze();
    return true;
}

bool CartellaXlsx::apri(const QString& path, QString* errore)
{
    if (!m_zip.apri(path, errore))
        return false;
    // The workbook part, from the package relationships (absolute or relative target).
    QString wb;
    for (const QString& v : relazioni(QString(), errore)) {
        if (v.startsWith(QLatin1String("officeDocument|")))
            wb = v.section(QLatin1Char('|'), 1);
    }
    if (!errore->isEmpty())
        return false;
    if (wb.isEmpty())
        wb = QStringLiteral("xl/workbook.xml");
    const QHash<QString, QString> rel = relazioni(wb, errore);
    if (!errore->isEmpty())
        return false;
    {
        GuastoZip g = GuastoZip::Nessuno;
        const auto f = m_zip.flusso(wb, kParteIntera, errore, &g);
        if (!f) {
            if (g == GuastoZip::Assente)
                *errore = Cartella::nonCartella();
            return false;
        }
        GuardiaXml guardia(f.get());
        QXmlStreamReader x(&guardia);
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
        if (x.hasError() || !finoAllaFine(*f, guardia)) {
            *errore = motivo(wb, *f, guardia, x.errorString());
            return false;
        }
        if (!trovato) {
            *errore = Cartella::danneggiata(QStringLiteral("nessun foglio"));
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
    if (!parteStringhe.isEmpty() && !leggiTestiCondivisi(parteStringhe, errore))
        return false;
    if (!parteStili.isEmpty()) {
        GuastoZip g = GuastoZip::Nessuno;
        const auto f = m_zip.flusso(parteStili, kParteIntera, errore, &g);
        if (!f) {
            if (g != GuastoZip::Assente)
                return false; // a missing style part only loses the date formats
            errore->clear();
        } else {
            GuardiaXml guardia(f.get());
            QXmlStreamReader x(&guardia);
            QHash<int, QString> formati;
            bool inXfs = false;
            while (!x.atEnd()) {
                x.readNext();
                if (x.isStartElement()) {
                    if (x.name() == QLatin1String("numFmt")) {
                        if (formati.size() < 65536)
                            formati.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(),
                                           x.attributes().value(QLatin1String("formatCode")).toString());
                    } else if (x.name() == QLatin1String("cellXfs")) {
                        inXfs = true;
                    } else if (inXfs && x.name() == QLatin1String("xf") && m_stiliData.size() < 65536) {
                        m_stiliData << formatoData(x.attributes().value(QLatin1String("numFmtId")).toInt(), formati);
                    }
                } else if (x.isEndElement() && x.name() == QLatin1String("cellXfs")) {
                    inXfs = false;
                }
            }
            if (x.hasError() || !finoAllaFine(*f, guardia)) {
                *errore = motivo(parteStili, *f, guardia, x.errorString());
                return false;
            }
        }
    }
    return true;
}

bool CartellaXlsx::leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga,
                               QString* errore, int* colonne) const
{
    if (colonne)
        *colonne = 0;
    const int i = m_nomi.indexOf(foglio);
    if (i < 0) {
        *errore = QStringLiteral("foglio inesistente");
        return false;
    }
    const QString parte = m_parti.at(i);
    {
        const auto f = m_zip.flusso(parte, kParteFoglio, errore);
        if (!f)
            return false;
        GuardiaXml guardia(f.get());
        ScansioneXml x(guardia);
        if (x.utf8())
            return righe(x, *f, guardia, parte, riga, errore, colonne);
    }
    // Another encoding: the part again from its start, through Qt's reader.
    const auto f = m_zip.flusso(parte, kParteFoglio, errore);
    if (!f)
        return false;
    GuardiaXml guardia(f.get());
    QXmlStreamReader x(&guardia);
    return righe(x, *f, guardia, parte, riga, errore, colonne);
}

template <class X>
bool CartellaXlsx::righe(X& x, const FlussoZip& f, GuardiaXml& guardia, const QString& parte,
                         const std::function<bool(const RigaCelle&)>& riga, QString* errore, int* colonne) const
{
    int larghezza = 0;
    RigaCelle celle;
    bool intestazione = true;
    bool inRiga = false;
    bool continua = true;
    int righe = 0;
    qint64 celleDate = 0;
    int ultimaPiena = -1; // the last cell of the row that holds a value
    QString valore;
    QString inlinea;
    QString rif, tipo, stile; // a cell's attributes, their buffers kept from cell to cell
    while (continua && !x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            if (chiamato(x, "row")) {
                if (++righe > kMassimeRighe) {
                    *errore = Cartella::troppoGrande(parte + QStringLiteral(": troppe righe"));
                    return false;
                }
                celle.clear();
                ultimaPiena = -1;
                inRiga = true;
            } else if (inRiga && chiamato(x, "c")) {
                attributo(x, "r", rif);
                int col = colonnaDaRiferimento(rif);
                if (col < 0)
                    col = int(celle.size());
                if (col > kMassimaColonna) {
                    *errore = Cartella::troppoGrande(parte + QStringLiteral(": colonna oltre XFD"));
                    return false;
                }
                attributo(x, "t", tipo);
                attributo(x, "s", stile);
                const int s = stile.isEmpty() ? 0 : stile.toInt();
                valore.resize(0);
                inlinea.resize(0);
                bool haValore = false;
                bool lungo = false;
                while (!x.atEnd()) {
                    x.readNext();
                    if (x.isEndElement() && chiamato(x, "c"))
                        break;
                    if (x.isStartElement()) {
                        if (chiamato(x, "v")) {
                            lungo = lungo || !testoElemento(x, valore);
                            haValore = true;
                        } else if (chiamato(x, "is")) {
                            lungo = lungo || !testoStringa(x, inlinea);
                            haValore = true;
                        }
                    }
                }
                if (lungo) {
                    *errore = Cartella::troppoGrande(parte + QStringLiteral(": testo di una cella troppo lungo"));
                    return false;
                }
                Cella c;
                if (haValore) {
                    if (tipo == QLatin1String("s")) {
                        bool ok = false;
                        const int k = indiceDa(valore, &ok);
                        if (!ok || k < 0 || k >= m_lunghezze.size()) {
                            *errore = Cartella::danneggiata(parte + QStringLiteral(": testo condiviso inesistente"));
                            return false;
                        }
                        c = Cella::daTesto(testoCondiviso(k));
                    } else if (tipo == QLatin1String("inlineStr")) {
                        c = Cella::daTesto(inlinea.left(kLunghezzaTesto));
                    } else if (tipo == QLatin1String("str")) {
                        c = Cella::daTesto(valore.left(kLunghezzaTesto));
                    } else if (tipo == QLatin1String("b")) {
                        c = Cella::daBooleano(valore.trimmed() == QLatin1String("1"));
                    } else if (tipo == QLatin1String("e")) {
                        // an error value reads as an empty cell
                    } else if (tipo == QLatin1String("d")) {
                        const QDateTime dt = QDateTime::fromString(valore.trimmed(), Qt::ISODate);
                        if (dt.isValid())
                            c = Cella::daSerialeData(double(kEpoca.daysTo(dt.date())) +
                                                     dt.time().msecsSinceStartOfDay() / 86400000.0);
                    } else {
                        bool ok = false;
                        const double v = numeroDa(valore, &ok);
                        if (ok && std::isfinite(v))
                            c = (s >= 0 && s < m_stiliData.size() && m_stiliData.at(s)) ? Cella::daSerialeData(v)
                                                                                        : Cella::daNumero(v);
                    }
                }
                if (celle.size() <= col)
                    celle.resize(col + 1);
                if (!c.vuota()) {
                    celle[col] = std::move(c);
                    ultimaPiena = std::max(ultimaPiena, col);
                }
            }
        } else if (x.isEndElement() && chiamato(x, "row")) {
            inRiga = false;
            // A row without a value is neither the column names nor data, as in the .xls reader.
            if (ultimaPiena < 0)
                continue;
            celle.resize(ultimaPiena + 1);
            celleDate += celle.size();
            if (celleDate > kMassimeCelle) {
                *errore = Cartella::troppoGrande(parte + QStringLiteral(": troppe celle"));
                return false;
            }
            larghezza = std::max(larghezza, ultimaPiena + 1);
            if (colonne)
                *colonne = larghezza;
            if (intestazione)
                intestazione = false;
            else
                continua = riga(celle);
        }
    }
    if (!continua)
        return true;
    if (x.hasError() || !finoAllaFine(f, guardia)) {
        *errore = motivo(parte, f, guardia, x.errorString());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- .xls

// The sheets' names come from one run of the reader program, each sheet's rows from another.
class CartellaXls final : public Cartella
{
public:
    bool apri(const QString& path, QString* errore)
    {
        m_path = path;
        // The run for the names gives no rows.
        class Nomi final : public DestinatarioXls
        {
        public:
            explicit Nomi(QStringList& nomi) : m_nomi(nomi) {}
            void foglio(const QString& nome) override { m_nomi << nome + QLatin1Char('$'); }
            bool riga(quint32, const RigaCelle&) override { return true; }

        private:
            QStringList& m_nomi;
        };
        Nomi nomi(m_nomi);
        ProtocolloXls p(nomi);
        return LettoreXls::esegui(path, -1, p, errore);
    }
    QStringList fogli() const override { return m_nomi; }
    bool leggiFoglio(const QString& foglio, const std::function<bool(const RigaCelle&)>& riga, QString* errore,
                     int* colonne) const override
    {
        if (colonne)
            *colonne = 0;
        const int i = m_nomi.indexOf(foglio);
        if (i < 0) {
            *errore = QStringLiteral("foglio inesistente");
            return false;
        }
        // The run for one sheet gives its rows; the first is the header.
        class Righe final : public DestinatarioXls
        {
        public:
            Righe(const std::function<bool(const RigaCelle&)>& riga, int* colonne) : m_riga(riga), m_colonne(colonne) {}
            void foglio(const QString&) override {}
            bool riga(quint32, const RigaCelle& celle) override
            {
                m_larghezza = std::max(m_larghezza, int(celle.size()));
                if (m_colonne)
                    *m_colonne = m_larghezza;
                if (m_intestazione) {
                    m_intestazione = false;
                    return true;
                }
                return m_riga(celle);
            }

        private:
            const std::function<bool(const RigaCelle&)>& m_riga;
            int* m_colonne;
            int m_larghezza = 0;
            bool m_intestazione = true;
        };
        Righe righe(riga, colonne);
        ProtocolloXls p(righe);
        return LettoreXls::esegui(m_path, i, p, errore);
    }

private:
    QString m_path;
    QStringList m_nomi;
};

} // namespace

std::unique_ptr<Cartella> apriCartellaXlsx(const QString& path, QString* errore)
{
    errore->clear();
    auto c = std::make_unique<CartellaXlsx>();
    if (!c->apri(path, errore)) {
        if (errore->isEmpty())
            *errore = Cartella::danneggiata(QStringLiteral("struttura non valida"));
        return nullptr;
    }
    return c;
}

std::unique_ptr<Cartella> apriCartellaXls(const QString& path, QString* errore)
{
    errore->clear();
    if (QFileInfo(path).size() > LettoreXls::kMassimoFile) {
        *errore = Cartella::troppoGrande(QStringLiteral("file .xls troppo grande"));
        return nullptr;
    }
    auto c = std::make_unique<CartellaXls>();
    if (!c->apri(path, errore))
        return nullptr;
    return c;
}

std::unique_ptr<Cartella> apriCartella(const QString& path, QString* errore)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *errore = QStringLiteral("il file non è leggibile (%1)").arg(f.errorString());
        return nullptr;
    }
    const QByteArray firma = f.read(8);
    f.close();
    if (firma.startsWith("PK\x03\x04"))
        return apriCartellaXlsx(path, errore);
    if (firma == QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return apriCartellaXls(path, errore);
    *errore = Cartella::nonCartella();
    return nullptr;
}
