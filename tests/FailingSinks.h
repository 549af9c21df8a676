// SPDX-License-Identifier: MIT
#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>

#include "data/FileSink.h"

namespace kalvero::test {

// Sinks whose file fills up after a number of bytes, counted from the opening of
// each sink: the write that crosses the limit stores part of its bytes and fails
// with "No space left on device", as a full disk does. The sink then cuts that part
// off again, which frees its room for a smaller write.
class FailingSinks final : public Sinks {
public:
    explicit FailingSinks(std::int64_t bytesLeft) : m_bytesLeft(bytesLeft) {}

    std::unique_ptr<FileSink> open(const std::string& name, FileSink::Open how) const override {
        return std::make_unique<Sink>(name, how, m_bytesLeft);
    }

private:
    class Sink final : public FileSink {
    public:
        Sink(const std::string& name, Open how, std::int64_t bytesLeft)
            : FileSink(name, how), m_bytesLeft(bytesLeft) {}

    protected:
        std::size_t put(const char* bytes, std::size_t count) override {
            const auto taken =
                static_cast<std::size_t>(std::min<std::int64_t>(m_bytesLeft, std::int64_t(count)));
            const std::size_t written = FileSink::put(bytes, taken);
            m_bytesLeft -= static_cast<std::int64_t>(written);
            if (written < count) {
                m_bytesLeft += static_cast<std::int64_t>(written);
                errno = ENOSPC;
            }
            return written;
        }

    private:
        std::int64_t m_bytesLeft;
    };

    std::int64_t m_bytesLeft;
};

}  // namespace kalvero::test
