// Runs the reply fuzz entry point over a fixed set of tricky inputs (and any files named on the
// command line), so every build exercises the readers without a fuzzing compiler.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QByteArray good(const QByteArray& text)
{
    int sum = 0;
    for (char c : text)
        sum = (sum + static_cast<unsigned char>(c)) % 256;
    return "\x02" + text + QByteArray::number(sum % 100).rightJustified(2, '0') + "\x03";
}

QList<QByteArray> corpus()
{
    return {
        {},
        "\x06",
        "\x15",
        "\x03",
        "\x02\x03",
        "\x02"
        "0\x03",
        "\x02\x02\x02\x03\x03",
        good("00/00/00/"),
        good("1A/05/12"),
        good("1A/05/12").replace("1A", "1B"), // damaged busy reply
        good("ZZ/00/00/"),
        good("-1/99/99/"),
        good("0x/00/00/"),
        good("FF/FF/FF/"),
        good("00/00"),
        good("07/00/02/82"),
        good("00/29/00/"),
        "junk\x02junk\x02" + good("2C/00/00/data") + "\x06",
        good("00/00/00/") + good("59/00/00/"),
        QByteArray("\x80\x81\x8d\x8f\x90\x9d\xff", 7) + good("\x80\x80/00/00/"),
        QByteArray(300, '/') + "\x03",
        QByteArray("\x00\x02\x00\x03", 4),
        "\x02" + QByteArray(70000, '9') + "\x03",
        // received PLU files
        "00/00/00/8001234567895/A/B/C/D/E/F/G/H/2500/\r\n",
        "a/b/c/d/e/f/g/h/1e308/x/y/z/1e308\r\n",
        "a/b/c/d/e/f/g/h/-5,5/x/y/z/nan\rshort/line\n\n",
        "x/y/z/" + QByteArray(5000, '7') + "/1/2/3/4/5/6/7/8/9/\r\n",
        QByteArray(20000, '/'),
    };
}

int run(const QByteArray& in)
{
    return LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(in.constData()), size_t(in.size()));
}

} // namespace

int main(int argc, char** argv)
{
    int n = 0;
    for (const QByteArray& in : corpus()) {
        run(in);
        ++n;
    }
    for (int i = 1; i < argc; ++i) {
        const QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(name));
            if (f.open(QIODevice::ReadOnly)) {
                run(f.readAll());
                ++n;
            }
        }
    }
    std::printf("%d inputs\n", n);
    return 0;
}
