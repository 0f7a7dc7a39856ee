#pragma once
// The workbook stream of an .xls file (BIFF5, BIFF7 and BIFF8 records), read into the answer that
// tavrino-xls writes (see tavrino-xls.cpp for its records). Everything in the stream is hostile:
// every length and index is checked against what is there.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace biff {

// Where the answer goes, in the order the records are written.
class Uscita
{
public:
    virtual ~Uscita() = default;
    virtual void byte(unsigned v) = 0;
    virtual void dati(const void* p, std::size_t n) = 0;

    void u16(unsigned v);
    void u32(std::uint32_t v);
    void testo(const std::string& s);
    void numero(double d);
};

// Refusal codes of the 'E' record.
enum Rifiuto : unsigned { NonLeggibile = 1, Password = 2, Memoria = 3, FoglioInesistente = 4 };

// What 'X' says of a cell that has no value to give: a spreadsheet error code (#DIV/0! is 0x07)
// or this, for a record or result the reader does not know.
constexpr unsigned kValoreSconosciuto = 0xff;

// Writes the records after the magic for `stream`, the whole workbook stream: the worksheets'
// names (`foglio` < 0) or the rows of worksheet `foglio`, then 'Z'; or 'E' with a refusal, or 'X'
// for the first cell that has no value to give. Returns false when it ended with 'E' or 'X'.
bool leggi(const std::uint8_t* stream, std::size_t n, int foglio, Uscita& out);

} // namespace biff
