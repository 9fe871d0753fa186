// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fuzz targets that go through the readers' real entry points hand them a file: the
// input is written whole to `chemin`, or the run stops (a short write would fuzz another
// input than the one reported).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

inline void ecrireEntree(const std::string& chemin, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        std::abort();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t w = ::write(fd, data + done, size - done);
        if (w <= 0)
            std::abort();
        done += static_cast<std::size_t>(w);
    }
    ::close(fd);
}
