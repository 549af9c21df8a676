// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "link/WinSer.h"

namespace kalvero::test {

// A serial-port library that plays back scripted printer answers and records
// every call, so tests see exactly what the printer link asked for and in which order.
class ScriptedWinSer final : public WinSer {
public:
    struct Reply {
        std::uint8_t result = 0;
        std::vector<std::uint8_t> answer;
    };

    // Calls in order: "UnInit", "Init 3 9600 5 5", "SetDTR", "ClearRTS", "RS ff 2 0"...
    std::vector<std::string> calls;
    // The data bytes of each RSSequence, in order.
    std::vector<std::vector<std::uint8_t>> sent;
    // Replies per command byte, used up in order; a command without one gets 21.
    std::map<std::uint8_t, std::deque<Reply>> replies;
    // Bytes for ReadByte; when none is left, ReadByte reports that none came.
    std::deque<std::uint8_t> further;
    std::set<int> presentPorts;
    std::uint8_t initResult = 0;
    std::optional<OpenFailure> initFailure;  // why, when initResult is not 0
    // Runs after each call is recorded, to look at the program in the middle of an operation.
    std::function<void(const std::string& call)> onCall;

    void record(std::string call) {
        calls.push_back(call);
        if (onCall) {
            onCall(call);
        }
    }

    void reply(std::uint8_t command, std::vector<std::uint8_t> answer, std::uint8_t result = 0) {
        replies[command].push_back({result, std::move(answer)});
    }

    std::uint8_t SerialPortPresent(std::uint8_t port) override {
        record("Present " + std::to_string(port));
        return presentPorts.count(port) != 0 ? 1 : 0;
    }
    std::uint8_t iInitializePort(std::uint8_t port, std::uint16_t baudRate, std::uint8_t tx,
                                 std::uint8_t rx) override {
        record("Init " + std::to_string(port) + " " + std::to_string(baudRate) + " " +
               std::to_string(tx) + " " + std::to_string(rx));
        return initResult;
    }
    void UnInitializePort() override { record("UnInit"); }
    void SetDTRLine() override { record("SetDTR"); }
    void ClearDTRLine() override { record("ClearDTR"); }
    void SetRTSLine() override { record("SetRTS"); }
    void ClearRTSLine() override { record("ClearRTS"); }

    std::uint8_t RSSequence(std::uint8_t command, std::uint8_t answerCount, std::uint8_t sendCount,
                            SerialBuffer& answer, const SerialBuffer& send) override {
        static const char* hex = "0123456789abcdef";
        record(std::string("RS ") + hex[command >> 4] + hex[command & 15] + " " +
               std::to_string(answerCount) + " " + std::to_string(sendCount));
        sent.emplace_back(send.begin(), send.begin() + sendCount);
        auto& queue = replies[command];
        if (queue.empty()) {
            return 21;
        }
        const Reply r = queue.front();
        queue.pop_front();
        for (std::size_t i = 0; i < r.answer.size() && i < answer.size(); ++i) {
            answer[i] = r.answer[i];
        }
        return r.result;
    }

    std::optional<OpenFailure> openFailure() const override {
        return initResult != 0 ? initFailure : std::nullopt;
    }

    std::uint8_t ReadByte(std::uint8_t& byte) override {
        record("ReadByte");
        if (further.empty()) {
            return 0;
        }
        byte = further.front();
        further.pop_front();
        return 1;
    }
};

}  // namespace kalvero::test
