// Commands 240 (set_connection) and 241 (set_logging).
#include <filesystem>

#include "call.h"
#include "platform/modal_ui.h"
#include "server.h"

namespace pellitons {

namespace {

constexpr size_t kTextLimit = 255;

struct Selection {
    uint8_t mode = 11;
    int port = -1;  // -1: the port stays
    int variant = -1;
};

Selection Select(uint8_t selector, uint16_t bytes23)
{
    Selection s;
    if (selector >= 1 && selector <= 4)
        s = {0, selector, 0};
    else if (selector == 5)
        s = {0, bytes23, 0};
    else if (selector >= 9 && selector <= 13)
        s = {0, selector == 13 ? bytes23 : selector - 8, 0};
    else if (selector >= 17 && selector <= 20)
        s = {1, selector - 16, -1};
    else if (selector >= 33 && selector <= 35)
        s = {2, selector - 32, 2};
    else if (selector == 48 || (selector >= 50 && selector <= 52))
        s = {3, selector - 48, -1};
    else if (selector >= 64 && selector <= 79)
        s = {4, -1, -1};
    else if (selector == 80)
        s = {5, -1, 1};
    else if (selector >= 97 && selector <= 99)
        s = {2, selector - 96, 2};
    else if (selector >= 113 && selector <= 115)
        s = {6, selector - 112, -1};
    else if (selector >= 128 && selector <= 132)
        s = {8, selector - 128, 2};
    else if (selector == 144)
        s = {7, -1, -1};
    else if (selector >= 160 && selector <= 175)
        s = {10, selector - 160, -1};
    return s;
}

}  // namespace

void ProbeServer::SetConnection(Call& c)
{
    const uint8_t selector = c.packet[2];
    selector_ = selector;
    const Selection s = Select(selector, c.U16(2));
    if (selector >= 9 && selector <= 13 && !devPort_) {
        // The cable probe needs the development-port cable.
        mode_ = 11;
        c.Status(PEL_NOT_SET_UP);
        return;
    }
    mode_ = s.mode;
    if (s.port >= 0)
        port_ = uint16_t(s.port);
    if (s.variant >= 0)
        variant_ = uint8_t(s.variant);
    if (((selector >= 64 && selector <= 79) || selector == 160) && !c.textsTaken) {
        c.textsTaken = true;
        // Two texts, each a length byte and its characters.
        size_t at = 3;
        for (std::string& field : texts_) {
            const size_t length = c.packet[at];
            for (size_t i = 0; i < length && field.size() < kTextLimit; ++i)
                field += char(c.packet[at + 1 + i]);
            at += 1 + length;
        }
    }
    if (selector >= 9 && selector <= 13) {
        c.reply[2] = 1;  // a plain cable: the development port's
        set8xx_ = true;
    }
    if (selector >= 64 && selector <= 79) {
        if (!libs_.LoadEnet()) {
            platform::MessageBoxRequest box;
            box.text = "Missing Qeld_ENET.DLL";
            box.caption = "Fatal Error";
            box.type = MB_OK | MB_ICONERROR;
            platform::ShowMessageBox(box);
            c.Flags(kPelFlagRefused);
            c.Status(PEL_NO_ENET);
            return;
        }
        Forward(c, libs_.enetCommand, PEL_NO_ENET, true);
        return;
    }
    if (mode_ == 0)
        table_[c.packet[0]].port = port_;
    if (mode_ == 11)
        c.Status(PEL_NO_CONNECTION);
}

void ProbeServer::SetLogging(Call& c)
{
    namespace fs = std::filesystem;
    const std::string path = (fs::path(logFolder_) / "pellitons.log").string();
    const bool ice = family_ == kPelFamilySerialIce && libs_.SerialIceLoaded();
    switch (c.packet[2]) {
    case 1:
        if (!log_.Open(path, false)) {
            c.Status(PEL_EXCEPTION);
            return;
        }
        log_.Line("rewrite LOG");
        if (ice)
            libs_.ice.control(0, 0, 0);
        break;
    case 2:
        if (!log_.Open(path, true)) {
            c.Status(PEL_EXCEPTION);
            return;
        }
        log_.Line("append LOG");
        if (ice)
            libs_.ice.control(0, 0, 0);
        break;
    case 3:
        log_.Line("close LOG");
        log_.Close();
        if (ice)
            libs_.ice.control(1, 0, 0);
        break;
    case 4:
        if (!log_.IsOpen()) {
            c.Status(PEL_EXCEPTION);
            return;
        }
        log_.Line(std::string(reinterpret_cast<const char*>(c.packet + 4), c.packet[3]));
        break;
    case 5: log_.dumpReplies = true; break;
    case 6: log_.dumpReplies = false; break;
    default: c.Status(PEL_EXCEPTION); break;
    }
}

}  // namespace pellitons
