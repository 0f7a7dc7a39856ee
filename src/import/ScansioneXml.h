#pragma once
// A fast reader for the XML a workbook's sheets and string table are made of: UTF-8 only, no
// DTD, no entities beyond the five predefined ones and character references. It gives the same
// elements and texts QXmlStreamReader gives on such a part, refuses what that reader refuses
// (mismatched or unclosed tags, bad names, undeclared prefixes and entities, repeated
// attributes, invalid characters or UTF-8, content after the root), and builds no string for a
// name or a text nobody asks for. A part in another encoding is left to QXmlStreamReader.
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <string>
#include <vector>

class ScansioneXml
{
public:
    // Deeper than any workbook nests; the names of open elements are kept, and a hostile part
    // of nothing but start tags must not turn into as many of them.
    static constexpr qsizetype kMassimaProfondita = 4096;

    explicit ScansioneXml(QIODevice& sorgente);

    // Reads the start of the part: false when it is not UTF-8 (a byte-order mark or a declaration
    // of another encoding), and then nothing of it should be read here.
    bool utf8();

    void readNext();
    bool atEnd() const { return m_evento == FineDocumento || m_evento == Errore; }
    bool hasError() const { return m_evento == Errore; }
    QString errorString() const { return m_errore; }
    bool isStartElement() const { return m_evento == Inizio; }
    bool isEndElement() const { return m_evento == Fine; }
    bool isCharacters() const { return m_evento == Testo; }

    // The element's name without its prefix (start and end).
    QByteArrayView nome() const { return m_locale; }
    // Appends the text of a characters event, references resolved and line ends made "\n".
    void aggiungiTesto(QString& out) const;
    // The value of the start element's attribute of qualified name `nome`, as the XML gives it
    // (references resolved, blanks normalised); empty when there is none.
    void attributo(QByteArrayView nome, QString& out) const;

private:
    enum Evento { Nessuno, Inizio, Fine, Testo, FineDocumento, Errore };
    struct Attributo
    {
        qsizetype nome, lunghezzaNome, valore, lunghezzaValore;
    };

    void avanza();
    bool riempi();
    bool almeno(qsizetype n);
    qsizetype cerca(qsizetype da, QByteArrayView cosa);
    void errore(const char* motivo);
    enum Contenuto { Testuale, Valore, Grezzo };
    bool valido(const char* p, qsizetype n, Contenuto contenuto);
    bool leggiTesto();
    bool leggiIstruzione();
    static bool dichiarazione(QByteArrayView d);
    bool leggiEsclamativo();
    bool leggiInizio();
    bool leggiFine();
    void chiudi();
    bool prefissoDichiarato(QByteArrayView prefisso) const;
    bool ripetuti(const char* tag);
    static void decodifica(const char* p, qsizetype n, QString& out, bool attributo, bool riferimenti);

    QIODevice& m_sorgente;
    std::vector<char> m_buf;
    qsizetype m_pos = 0;
    qsizetype m_fine = 0;
    bool m_esaurito = false;
    Evento m_evento = Nessuno;
    QString m_errore;
    bool m_guasto = false;
    bool m_inizioDocumento = true;
    bool m_radiceChiusa = false;
    bool m_vuoto = false; // a "<x/>" whose end is the next event

    QByteArrayView m_locale;
    const char* m_testo = nullptr;
    qsizetype m_lunghezzaTesto = 0;
    bool m_cdata = false;
    std::vector<Attributo> m_attributi;
    std::vector<QByteArrayView> m_nomiAttributi;
    const char* m_tag = nullptr; // the start tag's first byte, base of the attributes' places

    std::string m_pila;                                  // the open elements' qualified names, one after the other
    std::vector<qsizetype> m_inizi;                      // where each begins in m_pila
    std::vector<std::pair<std::string, int>> m_prefissi; // declared prefixes and their depth
};
