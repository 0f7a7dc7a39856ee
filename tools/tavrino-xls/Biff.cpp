#include "Biff.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <map>

namespace biff {

void Uscita::u16(unsigned v)
{
    byte(v & 0xff);
    byte((v >> 8) & 0xff);
}

void Uscita::u32(std::uint32_t v)
{
    u16(v & 0xffff);
    u16(v >> 16);
}

void Uscita::testo(const std::string& s)
{
    u32(static_cast<std::uint32_t>(s.size()));
    dati(s.data(), s.size());
}

void Uscita::numero(double d)
{
    std::uint64_t b = 0;
    std::memcpy(&b, &d, sizeof b);
    u32(static_cast<std::uint32_t>(b & 0xffffffffu));
    u32(static_cast<std::uint32_t>(b >> 32));
}

namespace {

enum : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000a,
    kDateMode = 0x0022,
    kFilePass = 0x002f,
    kContinue = 0x003c,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00bd,
    kMulBlank = 0x00be,
    kRString = 0x00d6,
    kDbCell = 0x00d7,
    kXf = 0x00e0,
    kSst = 0x00fc,
    kLabelSst = 0x00fd,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRow = 0x0208,
    kArray = 0x0221,
    kTable = 0x0236,
    kRk = 0x027e,
    kFormat = 0x041e,
    kShrFmla = 0x04bc,
    kBof = 0x0809,
};

// Bounds of a worksheet (BIFF8 has 256 columns), of a text (Excel's own) and of the number of
// worksheets (the program's, LettoreXls.h): anything past them is no workbook's.
constexpr unsigned kColonne = 256;
constexpr unsigned kMassimoTesto = 32767;
constexpr std::size_t kMassimoFogli = 4096;

// Value records of the older formats (BIFF2-4), which no BIFF5/8 writer puts in a sheet: their
// cells cannot be read here, and saying nothing would import them as empty.
bool cellaSconosciuta(std::uint16_t t)
{
    return (t >= 0x0001 && t <= 0x0005) || t == 0x0206 || t == 0x0406;
}

bool recordDiCella(std::uint16_t t)
{
    switch (t) {
    case kFormula:
    case kMulRk:
    case kMulBlank:
    case kRString:
    case kLabelSst:
    case kBlank:
    case kNumber:
    case kLabel:
    case kBoolErr:
    case kString:
    case kRk:
        return true;
    default:
        return false;
    }
}

// One record, with the data of the CONTINUE records after it appended.
struct Record
{
    std::uint16_t tipo = 0;
    std::vector<std::uint8_t> dati;
    std::vector<std::size_t> confini; // where each CONTINUE's data begins in `dati`
};

class Records
{
public:
    Records(const std::uint8_t* s, std::size_t n) : m_s(s), m_n(n) {}
    bool vai(std::size_t pos)
    {
        if (pos > m_n)
            return false;
        m_pos = pos;
        return true;
    }
    // False at the end of the stream or on a record cut by it.
    bool prossimo(Record& r)
    {
        r.confini.clear();
        r.dati.clear();
        std::uint16_t lunghezza = 0;
        if (!intestazione(r.tipo, lunghezza) || m_n - m_pos < lunghezza)
            return false;
        r.dati.assign(m_s + m_pos, m_s + m_pos + lunghezza);
        m_pos += lunghezza;
        std::uint16_t t = 0;
        while (m_n - m_pos >= 4 && (t = std::uint16_t(m_s[m_pos] | m_s[m_pos + 1] << 8)) == kContinue) {
            intestazione(t, lunghezza);
            if (m_n - m_pos < lunghezza)
                return false;
            r.confini.push_back(r.dati.size());
            r.dati.insert(r.dati.end(), m_s + m_pos, m_s + m_pos + lunghezza);
            m_pos += lunghezza;
        }
        return true;
    }

private:
    bool intestazione(std::uint16_t& tipo, std::uint16_t& lunghezza)
    {
        if (m_n - m_pos < 4)
            return false;
        tipo = std::uint16_t(m_s[m_pos] | m_s[m_pos + 1] << 8);
        lunghezza = std::uint16_t(m_s[m_pos + 2] | m_s[m_pos + 3] << 8);
        m_pos += 4;
        return true;
    }

    const std::uint8_t* m_s;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

class Cursore
{
public:
    explicit Cursore(const Record& r) : m_r(r) {}
    std::size_t resto() const { return m_r.dati.size() - m_pos; }
    bool salta(std::size_t n)
    {
        if (n > resto())
            return false;
        m_pos += n;
        return true;
    }
    bool u8(unsigned& v)
    {
        if (resto() < 1)
            return false;
        v = m_r.dati[m_pos++];
        return true;
    }
    bool u16(unsigned& v)
    {
        if (resto() < 2)
            return false;
        v = unsigned(m_r.dati[m_pos]) | unsigned(m_r.dati[m_pos + 1]) << 8;
        m_pos += 2;
        return true;
    }
    bool u32(std::uint32_t& v)
    {
        unsigned a = 0, b = 0;
        if (resto() < 4 || !u16(a) || !u16(b))
            return false;
        v = std::uint32_t(a) | std::uint32_t(b) << 16;
        return true;
    }
    bool f64(double& d)
    {
        if (resto() < 8)
            return false;
        std::uint64_t b = 0;
        for (int i = 7; i >= 0; --i)
            b = b << 8 | m_r.dati[m_pos + std::size_t(i)];
        std::memcpy(&d, &b, sizeof d);
        m_pos += 8;
        return true;
    }
    const std::uint8_t* qui() const { return m_r.dati.data() + m_pos; }
    // Bytes before the next CONTINUE's data (or the end).
    std::size_t finoAlConfine() const
    {
        const auto it = std::upper_bound(m_r.confini.begin(), m_r.confini.end(), m_pos);
        return (it == m_r.confini.end() ? m_r.dati.size() : *it) - m_pos;
    }
    bool alConfine() const { return std::binary_search(m_r.confini.begin(), m_r.confini.end(), m_pos); }

private:
    const Record& m_r;
    std::size_t m_pos = 0;
};

void utf8(std::string& out, std::uint32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xc0 | c >> 6);
        out += char(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += char(0xe0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3f));
        out += char(0x80 | (c & 0x3f));
    } else {
        out += char(0xf0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3f));
        out += char(0x80 | (c >> 6 & 0x3f));
        out += char(0x80 | (c & 0x3f));
    }
}

std::string daUtf16(const std::vector<std::uint16_t>& u)
{
    std::string s;
    s.reserve(u.size());
    for (std::size_t i = 0; i < u.size(); ++i) {
        std::uint32_t c = u[i];
        if (c >= 0xd800 && c < 0xdc00 && i + 1 < u.size() && u[i + 1] >= 0xdc00 && u[i + 1] < 0xe000)
            c = 0x10000 + ((c - 0xd800) << 10) + (u[++i] - 0xdc00);
        else if (c >= 0xd800 && c < 0xe000)
            c = 0xfffd; // a lone half of a pair
        utf8(s, c);
    }
    return s;
}

// BIFF5 texts are bytes in the workbook's code page.
class CodePage
{
public:
    ~CodePage()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    void imposta(unsigned cp)
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
        char nome[32];
        if (cp == 367)
            std::snprintf(nome, sizeof nome, "ASCII");
        else if (cp == 10000 || cp == 32768)
            std::snprintf(nome, sizeof nome, "MACINTOSH");
        else if (cp == 1200 || cp == 32769 || cp == 0)
            std::snprintf(nome, sizeof nome, "CP1252");
        else
            std::snprintf(nome, sizeof nome, "CP%u", cp);
        m_cd = iconv_open("UTF-8", nome);
        if (m_cd == iconv_t(-1))
            m_cd = iconv_open("UTF-8", "CP1252");
    }
    std::string converti(const std::uint8_t* p, std::size_t n)
    {
        if (m_cd == iconv_t(-1))
            imposta(1252);
        std::string out(n * 4 + 8, '\0');
        char* in = const_cast<char*>(reinterpret_cast<const char*>(p));
        std::size_t inResto = n;
        char* o = out.data();
        std::size_t oResto = out.size();
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        while (inResto > 0) {
            if (iconv(m_cd, &in, &inResto, &o, &oResto) != std::size_t(-1))
                break;
            if (errno == E2BIG || oResto < 3)
                break;
            // A byte the code page does not define.
            ++in;
            --inResto;
            std::memcpy(o, "\xef\xbf\xbd", 3);
            o += 3;
            oResto -= 3;
        }
        out.resize(std::size_t(o - out.data()));
        return out;
    }

private:
    iconv_t m_cd = iconv_t(-1);
};

struct Foglio
{
    std::string nome;
    std::uint32_t inizio = 0;
};

// A cell's value as the answer carries it.
struct Valore
{
    unsigned colonna = 0;
    unsigned tipo = 0; // 1 number, 2 text, 3 date, 4 date and time, 6 boolean
    double numero = 0;
    std::string testo;
    const std::string* condiviso = nullptr; // a text of the shared-string table
};

class Libro
{
public:
    Libro(const std::uint8_t* s, std::size_t n, Uscita& out) : m_records(s, n), m_out(out) {}
    bool leggi(int foglio);

private:
    bool rifiuta(Rifiuto r)
    {
        m_out.byte('E');
        m_out.byte(r);
        return false;
    }
    bool illeggibile(unsigned riga, unsigned colonna, unsigned codice)
    {
        m_out.byte('X');
        m_out.u32(riga);
        m_out.u16(colonna);
        m_out.byte(codice);
        return false;
    }
    bool globali();
    bool celle(std::uint32_t inizio);
    bool testo(Cursore& c, bool lunghezza16, std::string& out);
    bool data(unsigned xf) const;
    void numero(Valore& v, unsigned xf, double d) const;
    // A number cell of the row; an infinity or a NaN (an RK's top bits can spell one too) is
    // no value a sheet shows, and refuses the cell.
    bool cellaNumero(unsigned riga, Valore v, unsigned xf, double d)
    {
        if (!std::isfinite(d))
            return illeggibile(riga, v.colonna, kValoreSconosciuto);
        numero(v, xf, d);
        return aggiungi(riga, std::move(v));
    }
    bool aggiungi(unsigned riga, Valore v);
    void scrivi();

    Records m_records;
    Uscita& m_out;
    int m_versione = 8; // 5 for BIFF5/7
    bool m_1904 = false;
    CodePage m_codePage;
    std::vector<std::string> m_sst;
    std::vector<unsigned> m_formatoXf;               // each XF's number format
    std::map<unsigned, bool> m_formati;              // the workbook's own formats: whether each shows a date
    std::vector<Foglio> m_fogli;                     // the worksheets, in tab order
    std::map<unsigned, std::vector<Valore>> m_righe; // rows read and not yet written
    long m_ultimaScritta = -1;
};

// A BIFF8 text (character count, flags, characters that CONTINUE records may split, each split
// beginning with new flags) or a BIFF5 one (a count and code-page bytes). After the text, its
// formatting runs and phonetic data are passed over.
bool Libro::testo(Cursore& c, bool lunghezza16, std::string& out)
{
    unsigned n = 0;
    if (!(lunghezza16 ? c.u16(n) : c.u8(n)) || n > kMassimoTesto)
        return false;
    if (m_versione < 8) {
        if (c.resto() < n)
            return false;
        out = m_codePage.converti(c.qui(), n);
        return c.salta(n);
    }
    unsigned flag = 0, runs = 0;
    std::uint32_t ext = 0;
    if (!c.u8(flag) || ((flag & 8) && !c.u16(runs)) || ((flag & 4) && !c.u32(ext)))
        return false;
    std::vector<std::uint16_t> u;
    u.reserve(n);
    bool alto = flag & 1;
    while (u.size() < n) {
        if (c.alConfine()) {
            if (!c.u8(flag))
                return false;
            alto = flag & 1;
        }
        const std::size_t k = std::min<std::size_t>(n - u.size(), alto ? c.finoAlConfine() / 2 : c.finoAlConfine());
        if (k == 0)
            return false; // a character cut by the end
        const std::uint8_t* p = c.qui();
        for (std::size_t i = 0; i < k; ++i)
            u.push_back(alto ? std::uint16_t(p[2 * i] | p[2 * i + 1] << 8) : p[i]);
        c.salta(alto ? 2 * k : k);
    }
    out = daUtf16(u);
    return c.salta(std::size_t(runs) * 4) && c.salta(ext);
}

// Whether cells of XF `xf` show a date: the built-in date and time formats, or a format of the
// workbook's own whose codes (outside quotes, escapes and brackets) hold a day, month, year, hour
// or second.
bool Libro::data(unsigned xf) const
{
    if (xf >= m_formatoXf.size())
        return false;
    const unsigned f = m_formatoXf[xf];
    const auto proprio = m_formati.find(f);
    if (proprio != m_formati.end())
        return proprio->second;
    return (f >= 14 && f <= 22) || (f >= 27 && f <= 36) || (f >= 45 && f <= 47) || (f >= 50 && f <= 58);
}

bool formatoData(const std::string& f)
{
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char ch = f[i];
        if (ch == '"') {
            const std::size_t fine = f.find('"', i + 1);
            if (fine == std::string::npos)
                return false;
            i = fine;
        } else if (ch == '\\' || ch == '_' || ch == '*') {
            ++i;
        } else if (ch == '[') {
            const std::size_t fine = f.find(']', i + 1);
            if (fine == std::string::npos)
                return false;
            const std::string dentro = f.substr(i + 1, fine - i - 1);
            // [h]:mm, [mm]:ss: elapsed time
            if (!dentro.empty() && dentro.find_first_not_of("hHmMsS") == std::string::npos)
                return true;
            i = fine;
        } else if (ch == ';') {
            return false; // the first section decides
        } else if (std::strchr("dDmMyYhHsS", ch)) {
            return true;
        }
    }
    return false;
}

// Days since 30/12/1899 as a civil date (proleptic Gregorian).
void giorno(long serial, int& a, unsigned& m, unsigned& g)
{
    const long z = serial - 25569 + 719468; // 30/12/1899 is 25,569 days before 1/1/1970
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    g = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    a = int(long(yoe) + era * 400 + (m <= 2 ? 1 : 0));
}

void Libro::numero(Valore& v, unsigned xf, double d) const
{
    v.tipo = 1;
    v.numero = d;
    if (!data(xf))
        return;
    const double serial = d + (m_1904 ? 1462 : 0);
    if (!(serial >= 0 && serial < 2958466))
        return; // no date a sheet shows: the number itself
    long giorni = long(std::floor(serial));
    long secondi = std::lround((serial - double(giorni)) * 86400.0);
    if (secondi >= 86400) {
        ++giorni;
        secondi = 0;
    }
    int a = 0;
    unsigned m = 0, g = 0;
    giorno(giorni, a, m, g);
    char b[32];
    if (secondi == 0) {
        std::snprintf(b, sizeof b, "%04d-%02u-%02u", a, m, g);
        v.tipo = 3;
    } else {
        const unsigned s = unsigned(secondi) % 86400;
        std::snprintf(b, sizeof b, "%04d-%02u-%02u %02u:%02u:%02u", a % 10000, m % 13, g % 32, s / 3600, s / 60 % 60,
                      s % 60);
        v.tipo = 4;
    }
    v.testo = b;
}

bool Libro::globali()
{
    Record r;
    if (!m_records.prossimo(r) || r.tipo != kBof)
        return rifiuta(NonLeggibile);
    {
        Cursore c(r);
        unsigned versione = 0, tipo = 0;
        if (!c.u16(versione) || !c.u16(tipo) || tipo != 0x0005)
            return rifiuta(NonLeggibile);
        m_versione = versione == 0x0600 ? 8 : 5;
    }
    m_codePage.imposta(1252);
    while (m_records.prossimo(r)) {
        Cursore c(r);
        switch (r.tipo) {
        case kEof:
            return true;
        case kFilePass:
            return rifiuta(Password);
        case kCodePage: {
            unsigned cp = 0;
            if (c.u16(cp))
                m_codePage.imposta(cp);
            break;
        }
        case kDateMode: {
            unsigned m = 0;
            m_1904 = c.u16(m) && m == 1;
            break;
        }
        case kXf: {
            unsigned font = 0, formato = 0;
            if (!c.u16(font) || !c.u16(formato))
                return rifiuta(NonLeggibile);
            m_formatoXf.push_back(formato);
            break;
        }
        case kFormat: {
            unsigned i = 0;
            std::string f;
            if (!c.u16(i) || !testo(c, m_versione == 8, f))
                return rifiuta(NonLeggibile);
            m_formati[i] = formatoData(f);
            break;
        }
        case kBoundSheet: {
            std::uint32_t inizio = 0;
            unsigned visibile = 0, tipo = 0;
            std::string nome;
            if (!c.u32(inizio) || !c.u8(visibile) || !c.u8(tipo) || !testo(c, false, nome))
                return rifiuta(NonLeggibile);
            if (tipo == 0 && m_fogli.size() >= kMassimoFogli)
                return rifiuta(NonLeggibile);
            if (tipo == 0)
                m_fogli.push_back({nome, inizio});
            break;
        }
        case kSst: {
            std::uint32_t totale = 0, unici = 0;
            if (!c.u32(totale) || !c.u32(unici))
                return rifiuta(NonLeggibile);
            m_sst.reserve(std::min<std::size_t>(unici, c.resto() / 3 + 1));
            for (std::uint32_t i = 0; i < unici; ++i) {
                std::string s;
                if (!testo(c, true, s))
                    return rifiuta(NonLeggibile);
                m_sst.push_back(std::move(s));
            }
            break;
        }
        default:
            break;
        }
    }
    return rifiuta(NonLeggibile); // no end record
}

bool Libro::aggiungi(unsigned riga, Valore v)
{
    if (v.colonna >= kColonne || long(riga) <= m_ultimaScritta)
        return rifiuta(NonLeggibile);
    if (v.tipo == 2 && (v.condiviso ? v.condiviso->empty() : v.testo.empty()))
        return true; // an empty text is no value
    m_righe[riga].push_back(std::move(v));
    return true;
}

// Writes the rows read so far: each row's cells by column, the last of a column's records winning.
void Libro::scrivi()
{
    for (auto& [riga, celle] : m_righe) {
        std::stable_sort(celle.begin(), celle.end(),
                         [](const Valore& a, const Valore& b) { return a.colonna < b.colonna; });
        std::vector<const Valore*> ultime;
        for (std::size_t i = 0; i < celle.size(); ++i) {
            if (i + 1 < celle.size() && celle[i + 1].colonna == celle[i].colonna)
                continue;
            ultime.push_back(&celle[i]);
        }
        m_out.byte('R');
        m_out.u32(riga);
        m_out.u16(unsigned(ultime.size()));
        for (const Valore* v : ultime) {
            m_out.u16(v->colonna);
            m_out.byte(v->tipo);
            if (v->tipo == 1)
                m_out.numero(v->numero);
            else if (v->tipo == 6)
                m_out.byte(v->numero != 0);
            else
                m_out.testo(v->condiviso ? *v->condiviso : v->testo);
        }
        m_ultimaScritta = long(riga);
    }
    m_righe.clear();
}

double rk(std::uint32_t v)
{
    double d = 0;
    if (v & 2) {
        d = double(std::int32_t(v) >> 2);
    } else {
        const std::uint64_t b = std::uint64_t(v & 0xfffffffcu) << 32;
        std::memcpy(&d, &b, sizeof d);
    }
    return (v & 1) ? d / 100 : d;
}

bool Libro::celle(std::uint32_t inizio)
{
    Record r;
    if (!m_records.vai(inizio) || !m_records.prossimo(r) || r.tipo != kBof)
        return rifiuta(NonLeggibile);
    int profondita = 1;
    // A formula whose text result is in the STRING record after it.
    bool formulaTesto = false;
    unsigned rigaFormula = 0, colonnaFormula = 0;
    bool celleDopoRow = false;
    while (m_records.prossimo(r)) {
        if (r.tipo == kBof) {
            ++profondita;
            continue;
        }
        if (r.tipo == kEof) {
            if (--profondita > 0)
                continue;
            if (formulaTesto)
                return illeggibile(rigaFormula, colonnaFormula, kValoreSconosciuto);
            scrivi();
            return true;
        }
        if (profondita > 1)
            continue; // a chart inside the sheet
        Cursore c(r);
        unsigned riga = 0, xf = 0;
        Valore v;
        celleDopoRow = celleDopoRow || recordDiCella(r.tipo);
        if (formulaTesto) {
            if (r.tipo == kString) {
                v.colonna = colonnaFormula;
                v.tipo = 2;
                if (!testo(c, true, v.testo))
                    return illeggibile(rigaFormula, colonnaFormula, kValoreSconosciuto);
                if (!aggiungi(rigaFormula, std::move(v)))
                    return false;
                formulaTesto = false;
                continue;
            }
            if (r.tipo == kShrFmla || r.tipo == kArray || r.tipo == kTable || r.tipo == kContinue)
                continue;
            if (r.tipo == kDbCell || r.tipo == kRow || r.tipo == kFormula || r.tipo == kNumber || r.tipo == kRk ||
                r.tipo == kMulRk || r.tipo == kLabel || r.tipo == kLabelSst || r.tipo == kRString ||
                r.tipo == kBoolErr || r.tipo == kBlank || r.tipo == kMulBlank)
                return illeggibile(rigaFormula, colonnaFormula, kValoreSconosciuto);
        }
        switch (r.tipo) {
        case kNumber: {
            double d = 0;
            if (!c.u16(riga) || !c.u16(v.colonna) || !c.u16(xf) || !c.f64(d))
                return rifiuta(NonLeggibile);
            if (!cellaNumero(riga, std::move(v), xf, d))
                return false;
            break;
        }
        case kRk: {
            std::uint32_t k = 0;
            if (!c.u16(riga) || !c.u16(v.colonna) || !c.u16(xf) || !c.u32(k))
                return rifiuta(NonLeggibile);
            if (!cellaNumero(riga, std::move(v), xf, rk(k)))
                return false;
            break;
        }
        case kMulRk: {
            unsigned prima = 0;
            if (!c.u16(riga) || !c.u16(prima) || c.resto() < 2 || (c.resto() - 2) % 6 != 0)
                return rifiuta(NonLeggibile);
            const std::size_t n = (c.resto() - 2) / 6;
            for (std::size_t i = 0; i < n; ++i) {
                std::uint32_t k = 0;
                Valore w;
                w.colonna = prima + unsigned(i);
                if (!c.u16(xf) || !c.u32(k))
                    return rifiuta(NonLeggibile);
                if (!cellaNumero(riga, std::move(w), xf, rk(k)))
                    return false;
            }
            break;
        }
        case kLabel:
        case kRString:
            v.tipo = 2;
            if (!c.u16(riga) || !c.u16(v.colonna) || !c.u16(xf) || !testo(c, true, v.testo))
                return rifiuta(NonLeggibile);
            if (!aggiungi(riga, std::move(v)))
                return false;
            break;
        case kLabelSst: {
            std::uint32_t i = 0;
            if (!c.u16(riga) || !c.u16(v.colonna) || !c.u16(xf) || !c.u32(i))
                return rifiuta(NonLeggibile);
            if (i >= m_sst.size())
                return illeggibile(riga, v.colonna, kValoreSconosciuto);
            v.tipo = 2;
            v.condiviso = &m_sst[i];
            if (!aggiungi(riga, std::move(v)))
                return false;
            break;
        }
        case kBoolErr: {
            unsigned valore = 0, errore = 0;
            if (!c.u16(riga) || !c.u16(v.colonna) || !c.u16(xf) || !c.u8(valore) || !c.u8(errore))
                return rifiuta(NonLeggibile);
            if (errore)
                return illeggibile(riga, v.colonna, valore);
            v.tipo = 6;
            v.numero = valore ? 1 : 0;
            if (!aggiungi(riga, std::move(v)))
                return false;
            break;
        }
        case kFormula: {
            if (!c.u16(riga) || !c.u16(v.colonna) || !c.u16(xf) || c.resto() < 8)
                return rifiuta(NonLeggibile);
            const std::uint8_t* risultato = c.qui();
            if (risultato[6] == 0xff && risultato[7] == 0xff) {
                switch (risultato[0]) {
                case 0: // a text, in the STRING record that follows
                    formulaTesto = true;
                    rigaFormula = riga;
                    colonnaFormula = v.colonna;
                    break;
                case 1:
                    v.tipo = 6;
                    v.numero = risultato[2] ? 1 : 0;
                    if (!aggiungi(riga, std::move(v)))
                        return false;
                    break;
                case 2:
                    return illeggibile(riga, v.colonna, risultato[2]);
                case 3: // an empty text: no value
                    break;
                default:
                    return illeggibile(riga, v.colonna, kValoreSconosciuto);
                }
                break;
            }
            double d = 0;
            c.f64(d);
            if (!cellaNumero(riga, std::move(v), xf, d))
                return false;
            break;
        }
        case kDbCell:
            scrivi(); // the end of a block of rows
            break;
        case kRow:
            // A block of rows begins (its ROW records come before its cells): the rows before it
            // are whole, and a sheet written without DBCELL records is not held whole either.
            if (!m_righe.empty() && celleDopoRow)
                scrivi();
            celleDopoRow = false;
            break;
        default:
            if (cellaSconosciuta(r.tipo)) {
                unsigned colonna = 0;
                if (!c.u16(riga) || !c.u16(colonna))
                    return rifiuta(NonLeggibile);
                return illeggibile(riga, colonna, kValoreSconosciuto);
            }
            break;
        }
    }
    return rifiuta(NonLeggibile); // cut before the sheet's end
}

bool Libro::leggi(int foglio)
{
    if (!globali())
        return false;
    if (foglio < 0) {
        for (const Foglio& f : m_fogli) {
            m_out.byte('F');
            m_out.testo(f.nome);
        }
    } else {
        if (std::size_t(foglio) >= m_fogli.size())
            return rifiuta(FoglioInesistente);
        if (!celle(m_fogli[std::size_t(foglio)].inizio))
            return false;
    }
    m_out.byte('Z');
    return true;
}

} // namespace

bool leggi(const std::uint8_t* stream, std::size_t n, int foglio, Uscita& out)
{
    Libro l(stream, n, out);
    return l.leggi(foglio);
}

} // namespace biff
