// Ways to hold a list's bytes in memory, measured where page faults are dear: each way in a fresh process, the
// bytes placed, then every 4 KB page of them read once, as the least a parse must do. Run by hand:
//   build/bench/holding_bench FILE [runs]
// It prints medians over the runs of the time, the minor faults and the system time of each step. Only the first
// three ways keep the engine's promise that a list changed in place after it was read cannot change what a search
// sees; the last is measured to show what that promise costs.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Sample
{
    double ms = 0, systemMs = 0;
    long faults = 0;
};

struct Figures
{
    Sample place, touch;
};

struct Clock
{
    timespec wall{};
    rusage usage{};

    static Clock now()
    {
        Clock c;
        clock_gettime(CLOCK_MONOTONIC, &c.wall);
        getrusage(RUSAGE_SELF, &c.usage);
        return c;
    }
    Sample since(const Clock &start) const
    {
        const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
        return {double(wall.tv_sec - start.wall.tv_sec) * 1e3 + double(wall.tv_nsec - start.wall.tv_nsec) / 1e6,
                ms(usage.ru_stime) - ms(start.usage.ru_stime), usage.ru_minflt - start.usage.ru_minflt};
    }
};

bool readAll(int fd, char *to, size_t size)
{
    for (size_t got = 0; got < size;) {
        const ssize_t n = pread(fd, to + got, size - got, off_t(got));
        if (n <= 0)
            return false;
        got += size_t(n);
    }
    return true;
}

struct Way
{
    const char *name;
    char *(*place)(int fd, size_t size); // nullptr when it fails
};

char *readIntoFreshMemory(int fd, size_t size)
{
    auto *p = static_cast<char *>(std::malloc(size));
    return p && readAll(fd, p, size) ? p : nullptr;
}

const Way ways[] = {
    {"read into memory a read touched (the yardstick)", readIntoFreshMemory}, // read again, timed, by measure()
    {"read into fresh 4 KB pages", readIntoFreshMemory},
    {"read into 2 MB pages, each 1 MB faulted in by one call (the engine)",
     [](int fd, size_t size) -> char * {
         const size_t large = size_t(2) << 20, piece = size_t(1) << 20;
         void *p = nullptr;
         if (posix_memalign(&p, large, (size + large - 1) / large * large) != 0)
             return nullptr;
         auto *bytes = static_cast<char *>(p);
         madvise(bytes, size, MADV_HUGEPAGE);
         for (size_t at = 0; at < size; at += piece) {
             const size_t n = std::min(piece, size - at);
             madvise(bytes + at, n, MADV_POPULATE_WRITE);
             if (pread(fd, bytes + at, n, off_t(at)) != ssize_t(n))
                 return nullptr;
         }
         return bytes;
     }},
    {"copied into a memory file of our own, mapped with its pages",
     [](int fd, size_t size) -> char * {
         const int copy = memfd_create("list", MFD_CLOEXEC);
         off_t from = 0;
         for (size_t got = 0; got < size;) {
             const ssize_t n = sendfile(copy, fd, &from, size - got);
             if (n <= 0)
                 return nullptr;
             got += size_t(n);
         }
         void *p = mmap(nullptr, size, PROT_READ, MAP_SHARED | MAP_POPULATE, copy, 0);
         return p == MAP_FAILED ? nullptr : static_cast<char *>(p);
     }},
    {"the file itself mapped with its pages (in-place changes show through)",
     [](int fd, size_t size) -> char * {
         void *p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
         return p == MAP_FAILED ? nullptr : static_cast<char *>(p);
     }},
};

// One way in this (fresh) process; false when it failed.
bool measure(const Way &way, bool yardstick, int fd, size_t size, Figures &figures)
{
    Clock start = Clock::now();
    char *bytes = way.place(fd, size);
    if (!bytes)
        return false;
    if (yardstick) {
        start = Clock::now();
        if (!readAll(fd, bytes, size))
            return false;
    }
    figures.place = Clock::now().since(start);
    const Clock touched = Clock::now();
    volatile unsigned sum = 0; // volatile, so that the reads are not optimised away
    for (size_t i = 0; i < size; i += 4096)
        sum = sum + static_cast<unsigned char>(bytes[i]);
    figures.touch = Clock::now().since(touched);
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: holding_bench FILE [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || st.st_size <= 0) {
        std::fprintf(stderr, "%s cannot be read: %s\n", argv[1], std::strerror(errno));
        return 2;
    }
    const size_t size = size_t(st.st_size);
    std::vector<char> warm(size); // the file into the page cache, as a list read a moment ago is
    readAll(fd, warm.data(), size);
    std::vector<char>().swap(warm);

    std::printf("%s, %.1f MB, medians of %d runs, each in a fresh process\n", argv[1], double(size) / 1e6, runs);
    std::printf("%-72s %9s %8s %8s | %9s %8s %8s\n", "way", "place ms", "faults", "sys ms", "touch ms", "faults",
                "sys ms");
    for (size_t w = 0; w < std::size(ways); ++w) {
        std::vector<double> values[6];
        for (int r = 0; r < runs; ++r) {
            int pipeEnds[2];
            if (pipe(pipeEnds) != 0)
                return 2;
            const pid_t child = fork();
            if (child == 0) {
                Figures f;
                const bool ok = measure(ways[w], w == 0, fd, size, f);
                const double row[6] = {f.place.ms, double(f.place.faults), f.place.systemMs,
                                       f.touch.ms, double(f.touch.faults), f.touch.systemMs};
                _exit(ok && write(pipeEnds[1], row, sizeof row) == ssize_t(sizeof row) ? 0 : 1);
            }
            close(pipeEnds[1]);
            double row[6];
            const bool got = read(pipeEnds[0], row, sizeof row) == ssize_t(sizeof row);
            close(pipeEnds[0]);
            int status = 0;
            waitpid(child, &status, 0);
            if (!got) {
                std::fprintf(stderr, "%s: failed\n", ways[w].name);
                break;
            }
            for (int k = 0; k < 6; ++k)
                values[k].push_back(row[k]);
        }
        std::printf("%-72s %9.1f %8.0f %8.1f | %9.1f %8.0f %8.1f\n", ways[w].name, median(values[0]), median(values[1]),
                    median(values[2]), median(values[3]), median(values[4]), median(values[5]));
    }
    return 0;
}
