#include "tools/scripted/ServerScript.h"


namespace tools {

namespace {

bool ParseNumber(std::string_view text, uint64_t max, uint64_t& out)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * base + digit;
        if (value > max)
            return false;
    }
    out = value;
    return true;
}

bool ParseHex(std::string_view text, std::string& out)
{
    out.clear();
    if (text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        uint64_t byte = 0;
        if (!ParseNumber(std::string("0x") + std::string(text.substr(i, 2)), 0xFF, byte))
            return false;
        out.push_back(static_cast<char>(byte));
    }
    return true;
}

// Splits off the next space-separated word.
std::string_view NextWord(std::string_view& rest)
{
    size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    size_t end = rest.find_first_of(" \t");
    std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    return word;
}

bool ParseOnOff(std::string_view word, bool& out)
{
    if (word == "on")
        out = true;
    else if (word == "off")
        out = false;
    else
        return false;
    return true;
}

} // namespace

bool ParseServerScript(std::string_view text, ServerScript& out, std::string& error)
{
    out = ServerScript {};
    int lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        };
        std::string_view rest = line;
        std::string_view command = NextWord(rest);
        if (command.empty() || command[0] == '#')
            continue;

        uint64_t number = 0;
        if (command == "listen") {
            std::string_view host = NextWord(rest);
            if (host.empty() || !ParseNumber(NextWord(rest), 65535, number))
                return fail("listen needs a host and a port");
            out.options.host = std::string(host);
            out.options.port = static_cast<uint16_t>(number);
        } else if (command == "key") {
            std::string bytes;
            if (!ParseHex(NextWord(rest), bytes) || bytes.size() != 16)
                return fail("key needs 32 hex digits");
            for (size_t i = 0; i < 16; ++i)
                out.options.stages.key[i] = static_cast<uint8_t>(bytes[i]);
        } else if (command == "cipher" || command == "zip" || command == "crc") {
            bool* flag = command == "cipher" ? &out.options.stages.cipher
                : command == "zip"           ? &out.options.stages.zip
                                             : &out.options.crcOnSend;
            if (!ParseOnOff(NextWord(rest), *flag))
                return fail(std::string(command) + " needs on or off");
        } else if (command == "reply" || command == "noreply" || command == "push") {
            uint64_t id = 0;
            if (!ParseNumber(NextWord(rest), 0xFFFFFFFF, id))
                return fail(std::string(command) + " needs an id");
            ScriptedReply reply;
            uint64_t on = 0;
            bool hasOn = false;
            if (command == "reply") {
                if (!ParseNumber(NextWord(rest), 0xFFFFFFFF, number))
                    return fail("reply needs a code");
                reply.code = static_cast<uint32_t>(number);
            } else if (command == "noreply") {
                reply.noAnswer = true;
            }
            for (;;) {
                std::string_view before = rest;
                std::string_view word = NextWord(rest);
                if (word.empty())
                    break;
                if (word.substr(0, 5) == "text=") {
                    size_t at = before.find("text=");
                    reply.body = std::string(before.substr(at + 5));
                    rest = {};
                    break;
                }
                if (word.substr(0, 4) == "hex=") {
                    if (!ParseHex(word.substr(4), reply.body))
                        return fail("hex= needs pairs of hex digits");
                } else if (command == "reply" && word.substr(0, 6) == "delay=") {
                    if (!ParseNumber(word.substr(6), 3600000, number))
                        return fail("delay= needs milliseconds");
                    reply.delayMs = static_cast<int>(number);
                } else if (command == "push" && word.substr(0, 3) == "on=") {
                    if (!ParseNumber(word.substr(3), 0xFFFFFFFF, on))
                        return fail("on= needs a request id");
                    hasOn = true;
                } else {
                    return fail("unknown option " + std::string(word));
                }
            }
            if (command == "push") {
                PlainMessage m;
                m.head[1] = static_cast<uint32_t>(id);
                m.body = reply.body;
                if (hasOn)
                    out.pushesAfter.emplace_back(static_cast<uint32_t>(on), std::move(m));
                else
                    out.pushesOnHello.push_back(std::move(m));
            } else {
                out.replies.emplace_back(static_cast<uint32_t>(id), std::move(reply));
            }
        } else {
            return fail("unknown command " + std::string(command));
        }
        if (!NextWord(rest).empty())
            return fail("unexpected words after the command");
    }
    return true;
}

void ApplyServerScript(const ServerScript& script, ScriptedServer& server)
{
    for (const auto& [id, reply] : script.replies)
        server.SetReply(id, reply);
    for (const PlainMessage& m : script.pushesOnHello)
        server.AddPushOnHello(m);
    for (const auto& [id, m] : script.pushesAfter)
        server.AddPushAfter(id, m);
}

} // namespace tools
