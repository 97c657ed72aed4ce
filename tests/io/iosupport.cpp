#include "iosupport.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

namespace pixpad::iotest {

namespace {

void put16(QByteArray& b, uint32_t v)
{
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8 & 0xFF));
}

void put32(QByteArray& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

QByteArray bmpHeaders(int32_t w, int32_t h, int bpp, uint32_t paletteBytes, uint32_t dataBytes)
{
    QByteArray b;
    b.append("BM");
    put32(b, 54 + paletteBytes + dataBytes);
    put32(b, 0);
    put32(b, 54 + paletteBytes);
    put32(b, 40);
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    put16(b, 1);
    put16(b, static_cast<uint32_t>(bpp));
    put32(b, 0);
    put32(b, dataBytes);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, bpp <= 8 ? paletteBytes / 4 : 0);
    put32(b, 0);
    return b;
}

} // namespace

QByteArray bmp24(const Surface& s, bool topDown)
{
    const int w = s.width(), h = s.height();
    const int stride = (w * 3 + 3) / 4 * 4;
    QByteArray b = bmpHeaders(w, topDown ? -h : h, 24, 0, static_cast<uint32_t>(stride * h));
    for (int i = 0; i < h; ++i) {
        const int y = topDown ? i : h - 1 - i;
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const uint32_t p = s.row(y)[x];
            row[3 * x] = static_cast<char>(p >> 16 & 0xFF);
            row[3 * x + 1] = static_cast<char>(p >> 8 & 0xFF);
            row[3 * x + 2] = static_cast<char>(p & 0xFF);
        }
        b.append(row);
    }
    return b;
}

QByteArray bmp8(int w, int h, const std::vector<uint8_t>& indices, const std::vector<uint32_t>& palette)
{
    const int stride = (w + 3) / 4 * 4;
    QByteArray b = bmpHeaders(w, h, 8, 4 * 256, static_cast<uint32_t>(stride * h));
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        b.append(static_cast<char>(c & 0xFF));
        b.append(static_cast<char>(c >> 8 & 0xFF));
        b.append(static_cast<char>(c >> 16 & 0xFF));
        b.append('\0');
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x)
            row[x] = static_cast<char>(indices[static_cast<std::size_t>(y) * w + x]);
        b.append(row);
    }
    return b;
}

QByteArray bmpClaiming(int32_t w, int32_t h, int dataBytes)
{
    QByteArray b = bmpHeaders(w, h, 24, 0, static_cast<uint32_t>(dataBytes));
    b.append(QByteArray(dataBytes, '\0'));
    return b;
}

namespace {

// LZW with 8-bit roots and codes kept at 9 bits: a clear code goes out every
// 254 literals, before the table would grow past 511 entries. Every decoder
// reads that, early-change quirks or not.
QByteArray lzw(const std::vector<uint8_t>& indices)
{
    QByteArray out;
    uint32_t acc = 0;
    int bits = 0;
    auto putCode = [&](uint32_t code) {
        acc |= code << bits;
        bits += 9;
        while (bits >= 8) {
            out.append(static_cast<char>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    constexpr uint32_t kClear = 256, kEnd = 257;
    int sinceClear = 254;
    for (uint8_t v : indices) {
        if (sinceClear == 254) {
            putCode(kClear);
            sinceClear = 0;
        }
        putCode(v);
        ++sinceClear;
    }
    putCode(kEnd);
    if (bits > 0)
        out.append(static_cast<char>(acc & 0xFF));
    return out;
}

void subBlocks(QByteArray& b, const QByteArray& data)
{
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - at);
        b.append(static_cast<char>(n));
        b.append(data.mid(at, n));
    }
    b.append('\0');
}

} // namespace

QByteArray gif(int screenW, int screenH, const std::vector<uint32_t>& palette, const std::vector<GifFrame>& frames)
{
    QByteArray b("GIF89a");
    put16(b, static_cast<uint32_t>(screenW));
    put16(b, static_cast<uint32_t>(screenH));
    b.append(static_cast<char>(0xF7)); // global table of 256 entries, 8-bit colour
    b.append('\0');                    // background index
    b.append('\0');
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        b.append(static_cast<char>(c >> 16 & 0xFF));
        b.append(static_cast<char>(c >> 8 & 0xFF));
        b.append(static_cast<char>(c & 0xFF));
    }
    for (const GifFrame& f : frames) {
        b.append("\x21\xF9\x04", 3);
        b.append(static_cast<char>((1 << 2) | (f.transparentIndex >= 0 ? 1 : 0)));
        put16(b, 10);
        b.append(static_cast<char>(f.transparentIndex >= 0 ? f.transparentIndex : 0));
        b.append('\0');
        b.append('\x2C');
        put16(b, static_cast<uint32_t>(f.left));
        put16(b, static_cast<uint32_t>(f.top));
        put16(b, static_cast<uint32_t>(f.width));
        put16(b, static_cast<uint32_t>(f.height));
        b.append('\0');
        b.append('\x08');
        subBlocks(b, lzw(f.indices));
    }
    b.append('\x3B');
    return b;
}

QByteArray jpeg(const QImage& image, int quality, bool progressive)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        throw std::runtime_error("the JPEG writer failed");
    return out;
}

QByteArray withExifOrientation(const QByteArray& jpegBytes, int orientation)
{
    QByteArray tiff("II\x2A\x00\x08\x00\x00\x00", 8);
    put16(tiff, 1);      // one entry
    put16(tiff, 0x0112); // Orientation
    put16(tiff, 3);      // SHORT
    put32(tiff, 1);
    put16(tiff, static_cast<uint32_t>(orientation));
    put16(tiff, 0);
    put32(tiff, 0); // no next directory
    QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    const int length = static_cast<int>(payload.size()) + 2;
    segment.append(static_cast<char>(length >> 8));
    segment.append(static_cast<char>(length & 0xFF));
    segment.append(payload);
    // After SOI and, when present, the JFIF segment that should come first.
    qsizetype at = 2;
    if (static_cast<uint8_t>(jpegBytes[2]) == 0xFF && static_cast<uint8_t>(jpegBytes[3]) == 0xE0)
        at = 4 + (static_cast<uint8_t>(jpegBytes[4]) << 8 | static_cast<uint8_t>(jpegBytes[5]));
    return jpegBytes.left(at) + segment + jpegBytes.mid(at);
}

QByteArray withJpegSize(const QByteArray& jpegBytes, int w, int h)
{
    QByteArray b = jpegBytes;
    for (qsizetype i = 2; i + 9 < b.size();) {
        if (static_cast<uint8_t>(b[i]) != 0xFF)
            throw std::runtime_error("unexpected JPEG layout");
        const uint8_t marker = static_cast<uint8_t>(b[i + 1]);
        const int length = static_cast<uint8_t>(b[i + 2]) << 8 | static_cast<uint8_t>(b[i + 3]);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            b[i + 5] = static_cast<char>(h >> 8 & 0xFF);
            b[i + 6] = static_cast<char>(h & 0xFF);
            b[i + 7] = static_cast<char>(w >> 8 & 0xFF);
            b[i + 8] = static_cast<char>(w & 0xFF);
            return b;
        }
        i += 2 + length;
    }
    throw std::runtime_error("no frame header");
}

QByteArray png(const QImage& image)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw std::runtime_error("the PNG writer failed");
    return out;
}

QString writeFile(const QString& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

Document documentWith(const Surface& picture)
{
    Document doc;
    Surface copy = picture;
    doc.setOpenedPicture(std::move(copy));
    return doc;
}

DocumentSnapshot::DocumentSnapshot(const Document& d)
    : picture1(d.Picture1), picture2(d.Picture2), width(d.ImageWidth), height(d.ImageHeight),
      back1(d.Picture1.backColor()), back2(d.Picture2.backColor())
{
}

std::string DocumentSnapshot::differences(const Document& d) const
{
    std::ostringstream out;
    if (d.ImageWidth != width || d.ImageHeight != height)
        out << "size " << d.ImageWidth << "x" << d.ImageHeight << " was " << width << "x" << height << "; ";
    if (!d.Picture1.samePixels(picture1))
        out << "Picture1 changed; ";
    if (!d.Picture2.samePixels(picture2))
        out << "Picture2 changed; ";
    if (d.Picture1.backColor() != back1 || d.Picture2.backColor() != back2)
        out << "background changed; ";
    return out.str();
}

namespace {

std::string slurp(int fd)
{
    std::string s;
    lseek(fd, 0, SEEK_SET);
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        s.append(buf, static_cast<std::size_t>(n));
    return s;
}

int tempFd()
{
    char name[] = "/tmp/pixpad-io-test-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    unlink(name);
    return fd;
}

} // namespace

RunResult runBatch(const std::vector<std::string>& args, const RunOptions& options)
{
    const int outFd = tempFd();
    int errFd = tempFd();
    int master = -1;
    std::string slaveName;
    if (options.stderrIsTerminal) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slaveName = ptsname(master);
    }

    std::vector<std::string> argvStore;
    argvStore.push_back(PIXPAD_BATCH_PATH);
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(outFd, STDOUT_FILENO);
        if (options.stderrIsTerminal) {
            const int slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
            if (slave < 0)
                _exit(126);
            dup2(slave, STDERR_FILENO);
        } else {
            dup2(errFd, STDERR_FILENO);
        }
        if (options.fileSizeLimit >= 0) {
            rlimit r{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &r);
            signal(SIGXFSZ, SIG_IGN); // a failed write, not a killed process
        }
        if (options.dropToUid >= 0) {
            if (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(options.dropToUid)) != 0
                || setuid(static_cast<uid_t>(options.dropToUid)) != 0)
                _exit(125);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }

    RunResult result;
    std::string terminal;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int status = 0;
    rusage usage{};
    for (;;) {
        if (master >= 0) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 10) > 0) {
                char buf[4096];
                const ssize_t n = read(master, buf, sizeof buf);
                if (n > 0)
                    terminal.append(buf, static_cast<std::size_t>(n));
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
    }
    if (master >= 0) {
        for (;;) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                break;
            char buf[4096];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            terminal.append(buf, static_cast<std::size_t>(n));
        }
        close(master);
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.out = slurp(outFd);
    result.err = options.stderrIsTerminal ? terminal : slurp(errFd);
    result.maxRssKiB = usage.ru_maxrss;
    close(outFd);
    close(errFd);
    return result;
}

} // namespace pixpad::iotest
