// tavrino-xls: reads an .xls workbook with freexl for Tavrino, which starts it as a child with a
// time and memory limit, so that a damaged file that crashes freexl ends this process, never the
// program. Usage: tavrino-xls FILE        the sheets' names
//                 tavrino-xls FILE N      the cells of sheet N (from 0)
// Output on stdout, little-endian: "TXLS1\n", then records of one tag byte each:
//   'F' u32 len, name (UTF-8)                 a sheet, in tab order
//   'R' u32 row, u16 count, count cells        a row that holds at least one value (an empty text is
//                                              none), rows ascending
//       cell: u16 column, u8 kind, then a double (kind 1) or u32 len + UTF-8 text (kinds 2-5:
//       text, date "yyyy-mm-dd", date and time "yyyy-mm-dd hh:mm:ss", time "hh:mm:ss")
//   'E' u8 code                               refused: 1 not readable, 2 password, 3 memory, 4 no such sheet
//   'Z'                                       the end of a complete answer
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <freexl.h>
#include <sys/resource.h>
#include <vector>

namespace {

std::vector<unsigned char> g_out;

void flush()
{
    if (!g_out.empty() && std::fwrite(g_out.data(), 1, g_out.size(), stdout) != g_out.size())
        std::exit(3);
    g_out.clear();
}

void u8(unsigned v)
{
    g_out.push_back(static_cast<unsigned char>(v));
}
void u16(unsigned v)
{
    u8(v & 0xff);
    u8((v >> 8) & 0xff);
}
void u32(std::uint32_t v)
{
    u16(v & 0xffff);
    u16(v >> 16);
}
void testo(const char* s)
{
    const std::size_t n = s ? std::strlen(s) : 0;
    u32(static_cast<std::uint32_t>(n));
    g_out.insert(g_out.end(), s, s + n);
}
void numero(double d)
{
    std::uint64_t b = 0;
    std::memcpy(&b, &d, sizeof b);
    u32(static_cast<std::uint32_t>(b & 0xffffffffu));
    u32(static_cast<std::uint32_t>(b >> 32));
}

int rifiuta(unsigned codice)
{
    u8('E');
    u8(codice);
    flush();
    return 0;
}

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

} // namespace

int main(int argc, char** argv)
{
    limita();
    if (argc < 2 || argc > 3)
        return 2;
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    const char* magia = "TXLS1\n";
    g_out.insert(g_out.end(), magia, magia + 6);

    const void* h = nullptr;
    const int aperto = freexl_open(argv[1], &h);
    if (aperto != FREEXL_OK)
        return rifiuta(aperto == FREEXL_INSUFFICIENT_MEMORY ? 3 : 1);
    unsigned int info = 0;
    if (freexl_get_info(h, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK)
        return rifiuta(1);
    if (info != FREEXL_BIFF_PLAIN)
        return rifiuta(2);
    unsigned int fogli = 0;
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &fogli) != FREEXL_OK)
        return rifiuta(1);

    if (argc == 2) {
        for (unsigned int i = 0; i < fogli && i < 65535; ++i) {
            const char* nome = nullptr;
            if (freexl_get_worksheet_name(h, static_cast<unsigned short>(i), &nome) != FREEXL_OK || !nome)
                return rifiuta(1);
            u8('F');
            testo(nome);
        }
    } else {
        char* fine = nullptr;
        const long n = std::strtol(argv[2], &fine, 10);
        unsigned int righe = 0;
        unsigned short colonne = 0;
        if (!fine || *fine || n < 0 || static_cast<unsigned long>(n) >= fogli || n > 65535 ||
            freexl_select_active_worksheet(h, static_cast<unsigned short>(n)) != FREEXL_OK)
            return rifiuta(4);
        if (freexl_worksheet_dimensions(h, &righe, &colonne) != FREEXL_OK)
            return rifiuta(1);
        std::vector<std::pair<unsigned short, FreeXL_CellValue>> celle;
        for (unsigned int r = 0; r < righe; ++r) {
            celle.clear();
            for (unsigned short c = 0; c < colonne; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK || v.type < FREEXL_CELL_INT ||
                    v.type > FREEXL_CELL_TIME)
                    continue;
                // An empty text is no value.
                const bool testo = v.type == FREEXL_CELL_TEXT || v.type == FREEXL_CELL_SST_TEXT;
                if (!testo || (v.value.text_value && *v.value.text_value))
                    celle.emplace_back(c, v);
            }
            if (celle.empty())
                continue;
            u8('R');
            u32(r);
            u16(static_cast<unsigned>(celle.size()));
            for (const auto& [c, v] : celle) {
                u16(c);
                switch (v.type) {
                case FREEXL_CELL_INT:
                    u8(1);
                    numero(v.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    u8(1);
                    numero(v.value.double_value);
                    break;
                case FREEXL_CELL_DATE:
                    u8(3);
                    testo(v.value.text_value);
                    break;
                case FREEXL_CELL_DATETIME:
                    u8(4);
                    testo(v.value.text_value);
                    break;
                case FREEXL_CELL_TIME:
                    u8(5);
                    testo(v.value.text_value);
                    break;
                default: // FREEXL_CELL_TEXT, FREEXL_CELL_SST_TEXT
                    u8(2);
                    testo(v.value.text_value);
                }
            }
            if (g_out.size() > (1u << 16))
                flush();
        }
    }
    u8('Z');
    flush();
    freexl_close(h);
    return std::fflush(stdout) == 0 ? 0 : 3;
}
