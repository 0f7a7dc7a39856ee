// tavrino-xls: reads an .xls workbook for Tavrino, which starts it as a child with a time and
// memory limit, so that a damaged file that upsets the reading ends this process, never the
// program. libgsf opens the OLE2 container; the workbook stream's records are read by Biff.cpp.
// Usage: tavrino-xls FILE        the worksheets' names
//        tavrino-xls FILE N      the cells of worksheet N (from 0)
// Output on stdout, little-endian: "TXLS1\n", then records of one tag byte each:
//   'F' u32 len, name (UTF-8)                 a worksheet, in tab order
//   'R' u32 row, u16 count, count cells        a row that holds at least one value (an empty text is
//                                              none), rows ascending
//       cell: u16 column, u8 kind, then a double (kind 1), u8 0 or 1 (kind 6: boolean) or u32 len +
//       UTF-8 text (kinds 2-5: text, date "yyyy-mm-dd", date and time "yyyy-mm-dd hh:mm:ss", time
//       "hh:mm:ss"); a formula cell gives its last result
//   'X' u32 row, u16 column, u8 code           a cell without a value to give: the spreadsheet's
//                                              error code (0x07 #DIV/0!...), 0xff an unknown record
//                                              or result; nothing follows
//   'E' u8 code                               refused: 1 not readable, 2 password, 3 memory, 4 no such sheet
//   'Z'                                       the end of a complete answer
#include "Biff.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>
#include <strings.h>
#include <sys/resource.h>
#include <vector>

namespace {

class Stdout final : public biff::Uscita
{
public:
    void byte(unsigned v) override
    {
        m_b.push_back(static_cast<unsigned char>(v));
        if (m_b.size() >= (1u << 16))
            flush();
    }
    void dati(const void* p, std::size_t n) override
    {
        const auto* c = static_cast<const unsigned char*>(p);
        m_b.insert(m_b.end(), c, c + n);
        if (m_b.size() >= (1u << 16))
            flush();
    }
    void flush()
    {
        if (!m_b.empty() && std::fwrite(m_b.data(), 1, m_b.size(), stdout) != m_b.size())
            std::exit(3);
        m_b.clear();
    }

private:
    std::vector<unsigned char> m_b;
};

// Limits of our own, should the parent not have set them.
void limita()
{
    rlimit r{};
    if (getrlimit(RLIMIT_AS, &r) == 0 && (r.rlim_cur == RLIM_INFINITY || r.rlim_cur > (rlim_t(1) << 30))) {
        r.rlim_cur = rlim_t(1) << 30;
        setrlimit(RLIMIT_AS, &r);
    }
    if (getrlimit(RLIMIT_CPU, &r) == 0 && (r.rlim_cur == RLIM_INFINITY || r.rlim_cur > 120)) {
        r.rlim_cur = 120;
        setrlimit(RLIMIT_CPU, &r);
    }
    r.rlim_cur = r.rlim_max = 0;
    setrlimit(RLIMIT_CORE, &r);
}

// The file's limit in the program (LettoreXls::kMassimoFile): a longer stream is no workbook's.
constexpr gsf_off_t kMassimoFlusso = gsf_off_t(256) << 20;

int rifiuta(Stdout& out, biff::Rifiuto r)
{
    out.byte('E');
    out.byte(r);
    out.flush();
    return std::fflush(stdout) == 0 ? 0 : 3;
}

} // namespace

int main(int argc, char** argv)
{
    limita();
    if (argc < 2 || argc > 3)
        return 2;
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    Stdout out;
    out.dati("TXLS1\n", 6);

    int foglio = -1;
    if (argc == 3) {
        char* fine = nullptr;
        const long n = std::strtol(argv[2], &fine, 10);
        if (!fine || *fine || n < 0 || n > 65535)
            return rifiuta(out, biff::FoglioInesistente);
        foglio = int(n);
    }

    gsf_init();
    GError* err = nullptr;
    GsfInput* file = gsf_input_stdio_new(argv[1], &err);
    if (!file)
        return rifiuta(out, biff::NonLeggibile);
    GsfInfile* ole = gsf_infile_msole_new(file, &err);
    if (!ole)
        return rifiuta(out, biff::NonLeggibile);
    // "Workbook" (BIFF8) or "Book" (BIFF5), in any letter case; an encrypted .xlsx has a package.
    int libro = -1;
    for (int i = 0; i < gsf_infile_num_children(ole); ++i) {
        const char* nome = gsf_infile_name_by_index(ole, i);
        if (!nome)
            continue;
        if (strcasecmp(nome, "EncryptedPackage") == 0)
            return rifiuta(out, biff::Password);
        if (strcasecmp(nome, "Workbook") == 0 || (libro < 0 && strcasecmp(nome, "Book") == 0))
            libro = i;
    }
    GsfInput* flusso = libro < 0 ? nullptr : gsf_infile_child_by_index(ole, libro);
    if (!flusso)
        return rifiuta(out, biff::NonLeggibile);
    const gsf_off_t n = gsf_input_size(flusso);
    if (n < 0 || n > kMassimoFlusso)
        return rifiuta(out, biff::NonLeggibile);
    std::vector<std::uint8_t> dati(static_cast<std::size_t>(n));
    for (std::size_t letti = 0; letti < dati.size();) {
        const std::size_t k = std::min<std::size_t>(dati.size() - letti, 1 << 20);
        if (!gsf_input_read(flusso, k, dati.data() + letti))
            return rifiuta(out, biff::NonLeggibile);
        letti += k;
    }
    g_object_unref(flusso);
    g_object_unref(ole);
    g_object_unref(file);

    biff::leggi(dati.data(), dati.size(), foglio, out);
    out.flush();
    return std::fflush(stdout) == 0 ? 0 : 3;
}
