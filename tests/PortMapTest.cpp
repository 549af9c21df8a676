// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <fstream>

#include "link/Identification.h"
#include "link/PortMap.h"
#include "link/PortName.h"
#include "link/QtWinSer.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void touch(const fs::path& file, const std::string& content = "") {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << content;
}

class PortMapTest : public ::testing::Test {
protected:
    PortMap map() const { return PortMap(tmp / "ports", tmp / "dev", tmp / "sys"); }
    std::vector<int> presentPorts() const {
        std::vector<int> ports;
        for (int n = 0; n <= 11; ++n) {
            if (map().present(n)) {
                ports.push_back(n);
            }
        }
        return ports;
    }
    TempDir tmp;
};

TEST_F(PortMapTest, WithoutAPortsDirectoryTheDefaultTableApplies) {
    EXPECT_EQ(*map().devicePath(1), tmp / "dev/ttyS0");
    EXPECT_EQ(*map().devicePath(4), tmp / "dev/ttyS3");
    EXPECT_EQ(*map().devicePath(5), tmp / "dev/ttyUSB0");
    EXPECT_EQ(*map().devicePath(8), tmp / "dev/ttyUSB3");
    EXPECT_EQ(*map().devicePath(9), tmp / "dev/ttyACM0");
    EXPECT_EQ(*map().devicePath(10), tmp / "dev/ttyACM1");
    EXPECT_FALSE(map().devicePath(0));
    EXPECT_FALSE(map().devicePath(11));
}

TEST_F(PortMapTest, DefaultPortsArePresentWhenTheirDeviceExists) {
    touch(tmp / "dev/ttyUSB1");
    touch(tmp / "dev/ttyACM0");
    EXPECT_EQ(presentPorts(), (std::vector<int>{6, 9}));
}

TEST_F(PortMapTest, ABuiltInUartThatTheKernelReportsAsTypeZeroIsAPhantom) {
    touch(tmp / "dev/ttyS0");
    touch(tmp / "dev/ttyS2");
    touch(tmp / "sys/ttyS0/type", "4\n");
    touch(tmp / "sys/ttyS2/type", "0\n");
    EXPECT_EQ(presentPorts(), (std::vector<int>{1}));
}

TEST_F(PortMapTest, ThePortsDirectoryAloneDefinesThePorts) {
    touch(tmp / "dev/ttyS0");
    touch(tmp / "sys/ttyS0/type", "4\n");
    touch(tmp / "dev/pts/7");
    fs::create_directories(tmp / "ports");
    fs::create_symlink(tmp / "dev/pts/7", tmp / "ports/com3");
    fs::create_symlink(tmp / "dev/nothing", tmp / "ports/com5");  // dangling

    // A small text file holding a URL is a printer on the network, present unconnected.
    touch(tmp / "ports/com4", " rfc2217://192.168.1.20:4001 \r\n");

    EXPECT_EQ(presentPorts(), (std::vector<int>{3, 4}));
    EXPECT_EQ(*map().devicePath(3), tmp / "ports/com3");
    EXPECT_EQ(*map().devicePath(1), tmp / "ports/com1");
    ASSERT_TRUE(map().network(4));
    EXPECT_EQ(map().network(4)->url, "rfc2217://192.168.1.20:4001");
    EXPECT_FALSE(map().network(3)) << "a link to a device";

    // Entries are read as the map is built: a map in use keeps what it named.
    const PortMap built = map();
    touch(tmp / "ports/com4", "tcp://10.0.0.5:7\n");
    EXPECT_EQ(built.network(4)->port, 4001);
    EXPECT_EQ(map().network(4)->port, 7);
}

TEST_F(PortMapTest, ALinkToAPhantomUartIsAbsentToo) {
    touch(tmp / "dev/ttyS5");
    touch(tmp / "sys/ttyS5/type", "0\n");
    fs::create_directories(tmp / "ports");
    fs::create_symlink(tmp / "dev/ttyS5", tmp / "ports/com2");
    EXPECT_TRUE(presentPorts().empty());
}

TEST_F(PortMapTest, TheEnvironmentChoosesThePortsDirectory) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("XDG_CONFIG_HOME", tmp.path().c_str(), 1);
    EXPECT_EQ(PortMap::defaultPortsDir(), tmp / "kalvero/ports");
    old != nullptr ? ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(PortMapTest, ScanningTenPortsOpensNoDevice) {
    fs::create_directories(tmp / "ports");
    touch(tmp / "dev/com1-device");
    fs::create_symlink(tmp / "dev/com1-device", tmp / "ports/com1");
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, (tmp / "dev/com1-device").c_str(), IN_OPEN), 0);

    QtWinSer serial(map());
    PortPresentFlags present{};
    ScanSerialPorts(serial, present);

    EXPECT_EQ(present[1], 1);
    EXPECT_EQ(present[2], 0);
    char events[256];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the scan opened the device";
    ::close(watch);
}

// A port is parsed once into one spelling; two names of one printer reach the same.
TEST_F(PortMapTest, APortNameHasOneSpellingAndNamesWhatItReaches) {
    PortName::Mistake mistake{};
    const auto canonical = [&mistake](const std::string& text) {
        const auto port = PortName::parse(text, mistake);
        return port ? port->canonical() : std::string("-");
    };
    EXPECT_EQ(canonical("com3"), "COM3");
    EXPECT_EQ(canonical("10"), "-") << "a number alone names no port";
    EXPECT_EQ(mistake, PortName::Mistake::NotAPort);
    EXPECT_EQ(canonical("RFC2217://Sklep.LAN:04001/"), "rfc2217://sklep.lan:4001");
    EXPECT_EQ(canonical("socket://[FE80::1]:7"), "tcp://[fe80::1]:7");
    EXPECT_EQ(canonical("dev/../dev/ttyS0"), (fs::current_path() / "dev/ttyS0").string());
    EXPECT_EQ(canonical("tcp://h:65536"), "-");
    EXPECT_EQ(mistake, PortName::Mistake::BadUrl);
    EXPECT_EQ(canonical(" COM1"), "-");
    EXPECT_EQ(mistake, PortName::Mistake::Unprintable);
    EXPECT_EQ(canonical("COM11"), "-");
    EXPECT_EQ(mistake, PortName::Mistake::NotAPort);

    touch(tmp / "dev/ttyUSB0");
    fs::create_directories(tmp / "links");
    fs::create_symlink(tmp / "dev/ttyUSB0", tmp / "links/printer");
    const auto linked = PortName::parse((tmp / "links/printer").string(), mistake);
    const auto device = PortName::parse((tmp / "dev/ttyUSB0").string(), mistake);
    ASSERT_TRUE(linked && device);
    EXPECT_NE(linked->canonical(), device->canonical()) << "links are not followed in the name";
    EXPECT_EQ(linked->reached(), device->reached());
    EXPECT_EQ(PrintableText("a\nb\x1b"), "a\\x0Ab\\x1B");
}

}  // namespace
}  // namespace kalvero
