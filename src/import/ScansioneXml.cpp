#include "import/ScansioneXml.h"

#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kBlocco = 64 * 1024;
// The longest token held whole; the workbook's reader lets none past 1 MiB.
constexpr qsizetype kMassimoToken = qsizetype(16) << 20;

bool bianco(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool inizioNome(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool carattereNome(unsigned char c)
{
    return inizioNome(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// A character XML allows, by its code point.
bool carattereXml(char32_t u)
{
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) || (u >= 0xE000 && u <= 0xFFFD) ||
           (u >= 0x10000 && u <= 0x10FFFF);
}

// The code point of a UTF-8 sequence at p (at most n bytes); 0 with *lunghezza 0 when it is not
// a well-formed sequence (overlong forms and surrogates included).
char32_t puntoCodice(const unsigned char* p, qsizetype n, int* lunghezza)
{
    *lunghezza = 0;
    const unsigned char c = p[0];
    int k = 0;
    char32_t u = 0;
    char32_t minimo = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        k = 1;
        u = c & 0x1F;
        minimo = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        k = 2;
        u = c & 0x0F;
        minimo = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        k = 3;
        u = c & 0x07;
        minimo = 0x10000;
    } else {
        return 0;
    }
    if (n < k + 1)
        return 0;
    for (int i = 1; i <= k; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        u = (u << 6) | (p[i] & 0x3F);
    }
    if (u < minimo || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF))
        return 0;
    *lunghezza = k + 1;
    return u;
}

// How many bytes at the end of p[0..n) are the start of a UTF-8 sequence cut short: a lead byte
// and only continuation bytes after it, fewer than it announces. Qt's reader keeps them waiting
// for the rest and, at the end of the part, never reads them.
qsizetype sequenzaTroncata(const unsigned char* p, qsizetype n)
{
    for (qsizetype k = 1; k <= 3 && k <= n; ++k) {
        const unsigned char c = p[n - k];
        if ((c & 0xC0) == 0x80)
            continue;
        const qsizetype attesi = c >= 0xC2 && c <= 0xDF   ? 2
                                 : c >= 0xE0 && c <= 0xEF ? 3
                                 : c >= 0xF0 && c <= 0xF4 ? 4
                                                          : 0;
        return k < attesi ? k : 0;
    }
    return 0;
}

// Namespaces: at most one colon, between a prefix and a local name.
bool dueParti(QByteArrayView n)
{
    const qsizetype c = n.indexOf(':');
    return !n.isEmpty() && (c < 0 || (c > 0 && c < n.size() - 1 && n.indexOf(':', c + 1) < 0));
}

// Whether the bytes are well-formed UTF-8 of characters XML allows.
bool utf8Valido(QByteArrayView n)
{
    const auto* b = reinterpret_cast<const unsigned char*>(n.data());
    for (qsizetype i = 0; i < n.size();) {
        if (b[i] < 0x80) {
            ++i;
            continue;
        }
        int k = 0;
        if (!carattereXml(puntoCodice(b + i, n.size() - i, &k)) || k == 0)
            return false;
        i += k;
    }
    return true;
}

// Where Qt's reader is asked about a character beyond ASCII: an element's name, or the name of an
// instruction with data, which it checks on its own; first character or after the first.
enum class Nome { Elemento, Istruzione };

// Whether Qt's reader takes the character beyond ASCII in such a name: its tables of them are the
// ones a workbook was read by before. Asked once per character (no workbook's names hold any; a
// hostile sheet may hold many).
bool letteraQt(char32_t u, bool primo, Nome dove)
{
    thread_local QHash<char32_t, bool> risposte[4];
    QHash<char32_t, bool>& r = risposte[(dove == Nome::Istruzione ? 2 : 0) + (primo ? 0 : 1)];
    const auto it = r.constFind(u);
    if (it != r.constEnd())
        return *it;
    if (r.size() > 65536)
        r.clear();
    const QByteArray lettera = QString::fromUcs4(&u, 1).toUtf8();
    const QByteArray nome = primo ? lettera : "a" + lettera;
    const QByteArray prova = dove == Nome::Istruzione ? "<?" + nome + " x?><a/>" : "<" + nome + "/>";
    QXmlStreamReader x(prova);
    while (!x.atEnd())
        x.readNext();
    return r[u] = !x.hasError();
}

// A name as Qt's reader takes it. An element's: at most one colon, between a prefix and a local
// name. An instruction's with data: no colon. Each part starts with a letter or '_', then
// letters, digits, '.', '-' or '_'.
bool nomeComeQt(QByteArrayView n, Nome dove)
{
    const bool parti = dove == Nome::Elemento ? dueParti(n) : !n.isEmpty() && !n.contains(':');
    if (!parti || !utf8Valido(n))
        return false;
    const auto* b = reinterpret_cast<const unsigned char*>(n.data());
    for (qsizetype i = 0; i < n.size();) {
        const bool primo = i == 0 || b[i - 1] == ':';
        if (b[i] < 0x80) {
            if (primo ? !inizioNome(b[i]) || b[i] == ':' : !carattereNome(b[i]))
                return false;
            ++i;
            continue;
        }
        int k = 0;
        if (!letteraQt(puntoCodice(b + i, n.size() - i, &k), primo, dove))
            return false;
        i += k;
    }
    return true;
}

// An attribute's name as Qt's reader takes it: more punctuation than XML allows (and control
// characters after the first), any character beyond ASCII.
bool inizioAttributo(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x7F ||
           (c != 0 && std::strchr("$@\\^_`{}~", c) != nullptr);
}
bool carattereAttributo(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x7F || c == ':' ||
           (c >= 0x01 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
           (c != 0 && std::strchr("$-.@\\_`{}~", c) != nullptr);
}
bool nomeAttributo(QByteArrayView n)
{
    return dueParti(n) && utf8Valido(n);
}

// The character a reference "&...;" stands for (p after '&', n up to and without ';'); 0 when
// it is none of the predefined entities nor a valid character reference.
char32_t riferimento(const char* p, qsizetype n)
{
    const QByteArrayView r(p, n);
    if (r == "lt")
        return '<';
    if (r == "gt")
        return '>';
    if (r == "amp")
        return '&';
    if (r == "quot")
        return '"';
    if (r == "apos")
        return '\'';
    if (n < 2 || p[0] != '#')
        return 0;
    const bool esadecimale = p[1] == 'x';
    qsizetype i = esadecimale ? 2 : 1;
    if (i >= n)
        return 0;
    char32_t u = 0;
    for (; i < n; ++i) {
        const char c = p[i];
        int cifra = -1;
        if (c >= '0' && c <= '9')
            cifra = c - '0';
        else if (esadecimale && c >= 'a' && c <= 'f')
            cifra = c - 'a' + 10;
        else if (esadecimale && c >= 'A' && c <= 'F')
            cifra = c - 'A' + 10;
        if (cifra < 0)
            return 0;
        u = u * (esadecimale ? 16 : 10) + char32_t(cifra);
        if (u > 0x10FFFF)
            return 0;
    }
    return carattereXml(u) ? u : 0;
}

} // namespace

ScansioneXml::ScansioneXml(QIODevice& sorgente) : m_sorgente(sorgente)
{
    m_buf.resize(2 * kBlocco);
}

// Moves what is left to the front and reads one more block; false at the end of the part.
bool ScansioneXml::riempi()
{
    if (m_esaurito)
        return false;
    if (m_fine - m_pos > kMassimoToken) {
        errore("elemento XML troppo lungo");
        m_esaurito = true;
        return false;
    }
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_pos, size_t(m_fine - m_pos));
        m_fine -= m_pos;
        m_pos = 0;
    }
    if (qsizetype(m_buf.size()) - m_fine < kBlocco)
        m_buf.resize(m_buf.size() * 2);
    const qint64 n = m_sorgente.read(m_buf.data() + m_fine, kBlocco);
    if (n <= 0) {
        m_esaurito = true;
        return false;
    }
    m_fine += n;
    return true;
}

bool ScansioneXml::almeno(qsizetype n)
{
    while (m_fine - m_pos < n) {
        if (!riempi())
            return false;
    }
    return true;
}

// The place (from m_pos) of `cosa` at or after m_pos + da, reading on as needed; -1 at the end.
qsizetype ScansioneXml::cerca(qsizetype da, QByteArrayView cosa)
{
    for (;;) {
        const QByteArrayView dati(m_buf.data() + m_pos, m_fine - m_pos);
        if (da < dati.size()) {
            const qsizetype i = dati.indexOf(cosa, da);
            if (i >= 0)
                return i;
        }
        da = std::max<qsizetype>(da, dati.size() - cosa.size() + 1);
        if (!riempi())
            return -1;
    }
}

void ScansioneXml::errore(const char* motivo)
{
    if (!m_guasto)
        m_errore = QString::fromUtf8(motivo);
    m_guasto = true;
    m_evento = Errore;
}

bool ScansioneXml::utf8()
{
    almeno(5);
    const auto* b = reinterpret_cast<const unsigned char*>(m_buf.data());
    const qsizetype n = m_fine - m_pos;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        m_pos += 3;
    else if (n >= 2 && (b[0] == 0 || b[1] == 0 || b[0] == 0xFE || b[0] == 0xFF))
        return false;
    if (!almeno(6) || QByteArrayView(m_buf.data() + m_pos, 5) != "<?xml" || !bianco(m_buf[size_t(m_pos + 5)]))
        return true;
    const qsizetype fine = cerca(0, "?>");
    if (fine < 0)
        return true; // refused as unclosed when read
    const QByteArrayView dichiarazione(m_buf.data() + m_pos, fine);
    const qsizetype e = dichiarazione.indexOf("encoding");
    if (e < 0)
        return true;
    qsizetype i = e + 8;
    while (i < fine && (bianco(dichiarazione[i]) || dichiarazione[i] == '='))
        ++i;
    if (i >= fine || (dichiarazione[i] != '"' && dichiarazione[i] != '\''))
        return true;
    const qsizetype chiusa = dichiarazione.indexOf(dichiarazione[i], i + 1);
    if (chiusa < 0)
        return true;
    const QByteArray nome = dichiarazione.sliced(i + 1, chiusa - i - 1).toByteArray().toLower();
    return nome == "utf-8" || nome == "utf8";
}

void ScansioneXml::readNext()
{
    avanza();
    // An error met on the way (a token too long while reading on) stands whatever was read.
    if (m_guasto)
        m_evento = Errore;
}

void ScansioneXml::avanza()
{
    if (atEnd())
        return;
    if (m_vuoto) {
        m_vuoto = false;
        chiudi();
        m_evento = Fine;
        return;
    }
    for (;;) {
        if (m_pos == m_fine && !riempi()) {
            if (!m_inizi.empty() || !m_radiceChiusa)
                errore("fine prematura del documento");
            else
                m_evento = FineDocumento;
            return;
        }
        bool evento = false;
        if (m_buf[size_t(m_pos)] != '<')
            evento = leggiTesto();
        else if (!almeno(2))
            return errore("fine prematura del documento");
        else if (m_buf[size_t(m_pos + 1)] == '/')
            evento = leggiFine();
        else if (m_buf[size_t(m_pos + 1)] == '?')
            evento = leggiIstruzione();
        else if (m_buf[size_t(m_pos + 1)] == '!')
            evento = leggiEsclamativo();
        else
            evento = leggiInizio();
        m_inizioDocumento = false;
        if (evento || m_evento == Errore)
            return;
    }
}

// Checks characters: valid UTF-8, characters XML allows; in a text or an attribute value also
// references it knows, no "]]>" in a text and no '<' in a value (a comment, an instruction or a
// CDATA section holds no references).
bool ScansioneXml::valido(const char* p, qsizetype n, Contenuto contenuto)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = b[i];
        if (c >= 0x80) {
            int k = 0;
            const char32_t u = puntoCodice(b + i, n - i, &k);
            if (k == 0) {
                errore("contenuto non codificato in UTF-8");
                return false;
            }
            if (!carattereXml(u)) {
                errore("carattere non ammesso");
                return false;
            }
            i += k;
            continue;
        }
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            errore("carattere non ammesso");
            return false;
        }
        if (c == '&' && contenuto != Grezzo) {
            const void* pv = std::memchr(p + i + 1, ';', size_t(n - i - 1));
            if (!pv || riferimento(p + i + 1, static_cast<const char*>(pv) - (p + i + 1)) == 0) {
                errore("riferimento non ammesso");
                return false;
            }
            i = static_cast<const char*>(pv) - p + 1;
            continue;
        }
        if (contenuto == Valore && c == '<') {
            errore("'<' in un attributo");
            return false;
        }
        if (contenuto == Testuale && c == ']' && i + 2 < n && b[i + 1] == ']' && b[i + 2] == '>') {
            errore("']]>' nel testo");
            return false;
        }
        ++i;
    }
    return true;
}

bool ScansioneXml::leggiTesto()
{
    qsizetype fine = cerca(0, "<");
    const bool finoInFondo = fine < 0;
    if (finoInFondo)
        fine = m_fine - m_pos;
    const char* p = m_buf.data() + m_pos;
    if (m_inizi.empty()) {
        // After the document a sequence cut short by the end of the part is not read, as by Qt's reader.
        const qsizetype troncata =
            finoInFondo && m_radiceChiusa ? sequenzaTroncata(reinterpret_cast<const unsigned char*>(p), fine) : 0;
        for (qsizetype i = 0; i < fine - troncata; ++i) {
            if (!bianco(p[i])) {
                errore(m_radiceChiusa ? "contenuto dopo la fine del documento" : "testo prima del primo elemento");
                return false;
            }
        }
        m_pos += fine;
        return false;
    }
    // A "]]>" across the end of the text and the next tag cannot be: the next byte is '<'.
    if (!valido(p, fine, Testuale))
        return false;
    m_testo = p;
    m_lunghezzaTesto = fine;
    m_cdata = false;
    m_pos += fine;
    m_evento = Testo;
    return true;
}

// The declaration's pseudo-attributes: version 1.0, then perhaps an encoding, then perhaps
// standalone yes or no, in this order and nothing else.
bool ScansioneXml::dichiarazione(QByteArrayView d)
{
    qsizetype i = 0;
    const auto voce = [&](QByteArrayView nome, QByteArrayView* valore) {
        qsizetype k = i;
        if (k >= d.size() || !bianco(d[k]))
            return false;
        while (k < d.size() && bianco(d[k]))
            ++k;
        if (!d.sliced(k).startsWith(nome))
            return false;
        k += nome.size();
        while (k < d.size() && bianco(d[k]))
            ++k;
        if (k >= d.size() || d[k] != '=')
            return false;
        ++k;
        while (k < d.size() && bianco(d[k]))
            ++k;
        if (k >= d.size() || (d[k] != '"' && d[k] != '\''))
            return false;
        const qsizetype chiusa = d.indexOf(d[k], k + 1);
        if (chiusa < 0)
            return false;
        *valore = d.sliced(k + 1, chiusa - k - 1);
        i = chiusa + 1;
        return true;
    };
    QByteArrayView v;
    if (!voce("version", &v) || v != "1.0")
        return false;
    if (voce("encoding", &v) && v.isEmpty())
        return false;
    if (voce("standalone", &v) && v != "yes" && v != "no")
        return false;
    while (i < d.size() && bianco(d[i]))
        ++i;
    return i == d.size();
}

// An instruction as Qt's reader takes it: a target, then blanks and any text, or else directly
// the "?>" or a run of name characters and the "?>".
bool ScansioneXml::leggiIstruzione()
{
    const qsizetype fine = cerca(2, "?>");
    if (fine < 0) {
        errore("fine prematura del documento");
        return false;
    }
    const char* p = m_buf.data() + m_pos + 2;
    const qsizetype lunghezza = fine - 2;
    const auto u = [p](qsizetype i) { return static_cast<unsigned char>(p[i]); };
    qsizetype n = 0;
    if (n < lunghezza && inizioAttributo(u(n))) {
        ++n;
        while (n < lunghezza && carattereNome(u(n)) && u(n) != ':')
            ++n;
    }
    if (n == 0 || !utf8Valido(QByteArrayView(p, n))) {
        errore("istruzione senza nome");
        return false;
    }
    if (n < lunghezza && !bianco(p[n])) {
        qsizetype k = n;
        while (k < lunghezza && carattereAttributo(u(k)) && u(k) != ':')
            ++k;
        if (k < lunghezza || !utf8Valido(QByteArrayView(p + n, k - n))) {
            errore("istruzione non valida");
            return false;
        }
    } else if (n < lunghezza && !nomeComeQt(QByteArrayView(p, n), Nome::Istruzione)) {
        errore("nome di istruzione non valido");
        return false;
    } else if (!valido(p + n, lunghezza - n, Grezzo)) {
        return false;
    }
    if (QByteArrayView(p, n).compare("xml", Qt::CaseInsensitive) == 0) {
        if (!m_inizioDocumento || QByteArrayView(p, n) != "xml") {
            errore("dichiarazione XML non all'inizio del documento");
            return false;
        }
        if (!dichiarazione(QByteArrayView(p + n, lunghezza - n))) {
            errore("dichiarazione XML non valida");
            return false;
        }
    }
    m_pos += fine + 2;
    return false;
}

bool ScansioneXml::leggiEsclamativo()
{
    if (!almeno(4)) {
        errore("fine prematura del documento");
        return false;
    }
    const char* p = m_buf.data() + m_pos;
    if (p[2] == '-' && p[3] == '-') {
        // The first "--" of a comment must be its end.
        const qsizetype trattini = cerca(4, "--");
        if (trattini < 0 || !almeno(trattini + 3)) {
            errore("fine prematura del documento");
            return false;
        }
        if (m_buf[size_t(m_pos + trattini + 2)] != '>') {
            errore("'--' in un commento");
            return false;
        }
        if (!valido(m_buf.data() + m_pos + 4, trattini - 4, Grezzo))
            return false;
        m_pos += trattini + 3;
        return false;
    }
    if (!almeno(9) || QByteArrayView(m_buf.data() + m_pos, 9) != "<![CDATA[") {
        errore(m_fine - m_pos < 9 ? "fine prematura del documento" : "dichiarazione non ammessa");
        return false;
    }
    if (m_inizi.empty()) {
        errore("testo fuori dagli elementi");
        return false;
    }
    const qsizetype fine = cerca(9, "]]>");
    if (fine < 0) {
        errore("fine prematura del documento");
        return false;
    }
    // References are not references here; only the characters are checked.
    const char* q = m_buf.data() + m_pos + 9;
    const qsizetype n = fine - 9;
    if (!valido(q, n, Grezzo))
        return false;
    m_testo = q;
    m_lunghezzaTesto = n;
    m_cdata = true;
    m_pos += fine + 3;
    m_evento = Testo;
    return true;
}

bool ScansioneXml::leggiInizio()
{
    // The whole tag, up to the '>' outside quotes, in the buffer.
    qsizetype i = 1;
    char virgolette = 0;
    for (;;) {
        const char* p = m_buf.data() + m_pos;
        const qsizetype n = m_fine - m_pos;
        for (; i < n; ++i) {
            const char c = p[i];
            if (virgolette) {
                if (c == virgolette)
                    virgolette = 0;
            } else if (c == '"' || c == '\'') {
                virgolette = c;
            } else if (c == '>') {
                break;
            }
        }
        if (i < n)
            break;
        if (!riempi()) {
            errore("fine prematura del documento");
            return false;
        }
    }
    const qsizetype fineTag = i; // the '>'
    const char* p = m_buf.data() + m_pos;
    if (m_inizi.empty() && m_radiceChiusa) {
        errore("contenuto dopo la fine del documento");
        return false;
    }
    qsizetype k = 1;
    if (!inizioNome(static_cast<unsigned char>(p[k]))) {
        errore("nome di elemento non valido");
        return false;
    }
    while (k < fineTag && carattereNome(static_cast<unsigned char>(p[k])))
        ++k;
    const QByteArrayView nome(p + 1, k - 1);
    if (!nomeComeQt(nome, Nome::Elemento)) {
        errore("nome di elemento non valido");
        return false;
    }
    m_tag = p;
    m_attributi.clear();
    bool vuoto = false;
    for (;;) {
        const qsizetype primaDeiBianchi = k;
        while (k < fineTag && bianco(p[k]))
            ++k;
        if (k == fineTag)
            break;
        if (p[k] == '/') {
            if (k + 1 != fineTag) {
                errore("atteso '>' dopo '/'");
                return false;
            }
            vuoto = true;
            break;
        }
        if (k == primaDeiBianchi || !inizioAttributo(static_cast<unsigned char>(p[k]))) {
            errore("attributo non valido");
            return false;
        }
        const qsizetype primo = k++;
        while (k < fineTag && carattereAttributo(static_cast<unsigned char>(p[k])))
            ++k;
        const qsizetype lunghezzaNome = k - primo;
        if (!nomeAttributo(QByteArrayView(p + primo, lunghezzaNome))) {
            errore("attributo non valido");
            return false;
        }
        while (k < fineTag && bianco(p[k]))
            ++k;
        if (k == fineTag || p[k] != '=') {
            errore("atteso '=' in un attributo");
            return false;
        }
        ++k;
        while (k < fineTag && bianco(p[k]))
            ++k;
        if (k == fineTag || (p[k] != '"' && p[k] != '\'')) {
            errore("valore di un attributo senza virgolette");
            return false;
        }
        const char q = p[k];
        const qsizetype inizioValore = k + 1;
        const auto* chiusa = static_cast<const char*>(std::memchr(p + inizioValore, q, size_t(fineTag - inizioValore)));
        if (!chiusa) {
            errore("valore di un attributo non chiuso");
            return false;
        }
        const qsizetype lunghezzaValore = chiusa - (p + inizioValore);
        if (!valido(p + inizioValore, lunghezzaValore, Valore))
            return false;
        m_attributi.push_back({primo, lunghezzaNome, inizioValore, lunghezzaValore});
        k = inizioValore + lunghezzaValore + 1;
    }
    if (m_attributi.size() > 1 && ripetuti(p)) {
        errore("attributo ripetuto");
        return false;
    }
    if (m_inizi.size() >= kMassimaProfondita) {
        errore("elementi annidati troppo a fondo");
        return false;
    }
    // Namespaces: declarations first, then every prefix used must be declared.
    const int profondita = int(m_inizi.size()) + 1;
    for (const Attributo& a : m_attributi) {
        const QByteArrayView n(p + a.nome, a.lunghezzaNome);
        if (n.startsWith("xmlns:")) {
            if (a.lunghezzaValore == 0) {
                errore("dichiarazione di prefisso vuota");
                return false;
            }
            m_prefissi.emplace_back(std::string(n.sliced(6).data(), size_t(n.size() - 6)), profondita);
        }
    }
    const auto prefisso = [](QByteArrayView n) {
        const qsizetype c = n.indexOf(':');
        return c < 0 ? QByteArrayView() : n.first(c);
    };
    const QByteArrayView pe = prefisso(nome);
    if (!pe.isEmpty() && !prefissoDichiarato(pe)) {
        errore("prefisso non dichiarato");
        return false;
    }
    for (const Attributo& a : m_attributi) {
        const QByteArrayView pa = prefisso(QByteArrayView(p + a.nome, a.lunghezzaNome));
        if (!pa.isEmpty() && pa != "xmlns" && !prefissoDichiarato(pa)) {
            errore("prefisso non dichiarato");
            return false;
        }
    }
    m_inizi.push_back(qsizetype(m_pila.size()));
    m_pila.append(nome.data(), size_t(nome.size()));
    m_locale = pe.isEmpty() ? nome : nome.sliced(pe.size() + 1);
    m_vuoto = vuoto;
    m_pos += fineTag + 1;
    m_evento = Inizio;
    return true;
}

// Whether an attribute name repeats. Namespace declarations are no attributes (and Qt's reader
// lets them repeat). Many attributes are sorted rather than compared each with each: a hostile
// tag may hold a hundred thousand.
bool ScansioneXml::ripetuti(const char* tag)
{
    m_nomiAttributi.clear();
    for (const Attributo& a : m_attributi) {
        const QByteArrayView n(tag + a.nome, a.lunghezzaNome);
        if (n != "xmlns" && !n.startsWith("xmlns:"))
            m_nomiAttributi.push_back(n);
    }
    auto& v = m_nomiAttributi;
    if (v.size() <= 16) {
        for (size_t i = 1; i < v.size(); ++i) {
            for (size_t j = 0; j < i; ++j) {
                if (v[i] == v[j])
                    return true;
            }
        }
        return false;
    }
    std::sort(v.begin(), v.end(), [](QByteArrayView a, QByteArrayView b) { return a.compare(b) < 0; });
    return std::adjacent_find(v.begin(), v.end()) != v.end();
}

bool ScansioneXml::prefissoDichiarato(QByteArrayView prefisso) const
{
    if (prefisso == "xml")
        return true;
    for (auto it = m_prefissi.rbegin(); it != m_prefissi.rend(); ++it) {
        if (QByteArrayView(it->first.data(), qsizetype(it->first.size())) == prefisso)
            return true;
    }
    return false;
}

bool ScansioneXml::leggiFine()
{
    const qsizetype fine = cerca(2, ">");
    if (fine < 0) {
        errore("fine prematura del documento");
        return false;
    }
    const char* p = m_buf.data() + m_pos;
    qsizetype k = 2;
    while (k < fine && carattereNome(static_cast<unsigned char>(p[k])))
        ++k;
    const QByteArrayView nome(p + 2, k - 2);
    while (k < fine && bianco(p[k]))
        ++k;
    if (k != fine || m_inizi.empty() ||
        QByteArrayView(m_pila.data() + m_inizi.back(), qsizetype(m_pila.size()) - m_inizi.back()) != nome) {
        errore("tag di apertura e chiusura diversi");
        return false;
    }
    const qsizetype c = nome.indexOf(':');
    m_locale = c < 0 ? nome : nome.sliced(c + 1);
    chiudi();
    m_pos += fine + 1;
    m_evento = Fine;
    return true;
}

// Leaves the innermost element: its name off the stack, its prefixes out of scope.
void ScansioneXml::chiudi()
{
    const int profondita = int(m_inizi.size());
    while (!m_prefissi.empty() && m_prefissi.back().second >= profondita)
        m_prefissi.pop_back();
    m_pila.resize(size_t(m_inizi.back()));
    m_inizi.pop_back();
    if (m_inizi.empty())
        m_radiceChiusa = true;
}

void ScansioneXml::decodifica(const char* p, qsizetype n, QString& out, bool attributo, bool riferimenti)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    const qsizetype prima = out.size();
    out.resize(prima + n); // never more characters than bytes
    QChar* d = out.data() + prima;
    QChar* const inizio = d;
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = b[i];
        if (c < 0x80 && c != '&' && c != '\r' && !(attributo && (c == '\t' || c == '\n'))) {
            *d++ = QChar(char16_t(c));
            ++i;
        } else if (c == '\r') {
            // "\r\n" and a lone "\r" are one line end.
            *d++ = QChar(char16_t(attributo ? ' ' : '\n'));
            i += (i + 1 < n && b[i + 1] == '\n') ? 2 : 1;
        } else if (c == '\t' || c == '\n') {
            *d++ = QChar(char16_t(' '));
            ++i;
        } else if (c == '&' && riferimenti) {
            const auto* pv = static_cast<const char*>(std::memchr(p + i + 1, ';', size_t(n - i - 1)));
            const char32_t u = riferimento(p + i + 1, pv - (p + i + 1));
            if (u >= 0x10000) {
                *d++ = QChar(QChar::highSurrogate(u));
                *d++ = QChar(QChar::lowSurrogate(u));
            } else {
                *d++ = QChar(char16_t(u));
            }
            i = pv - p + 1;
        } else if (c == '&') {
            *d++ = QChar(char16_t('&'));
            ++i;
        } else {
            int k = 0;
            const char32_t u = puntoCodice(b + i, n - i, &k);
            if (u >= 0x10000) {
                *d++ = QChar(QChar::highSurrogate(u));
                *d++ = QChar(QChar::lowSurrogate(u));
            } else {
                *d++ = QChar(char16_t(u));
            }
            i += k;
        }
    }
    out.resize(prima + (d - inizio));
}

void ScansioneXml::aggiungiTesto(QString& out) const
{
    decodifica(m_testo, m_lunghezzaTesto, out, false, !m_cdata);
}

void ScansioneXml::attributo(QByteArrayView nome, QString& out) const
{
    out.resize(0);
    for (const Attributo& a : m_attributi) {
        if (QByteArrayView(m_tag + a.nome, a.lunghezzaNome) == nome) {
            decodifica(m_tag + a.valore, a.lunghezzaValore, out, true, true);
            return;
        }
    }
}
