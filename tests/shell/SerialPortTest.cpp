// The serial adapter on real pseudo-terminals: socat joins two of them, the port under test opens one
// end through the COMn link and the test writes to the other end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/SeededRandom.h"
#include "core/System.h"
#include "cycle/Cycle.h"
#include "display/Layout.h"
#include "histogram/TestSource.h"
#include "serial/Reception.h"
#include "settings/SettingsFile.h"
#include "settings/StartUp.h"
#include "shell/QtSerialPort.h"
#include "support/Fakes.h"
#include "support/RecordingSurface.h"

namespace {

using namespace sorvant;

// Runs the event loop until done() holds or the time is up.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QTest::qWait(2);
  }
  return true;
}

// Two joined pseudo-terminals; end A is the port's device, the test writes to (and reads from) end B.
class PtyPair {
 public:
  explicit PtyPair(const QString& dir) : a_(dir + "/A"), b_(dir + "/B") {}
  ~PtyPair() { stop(false); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool start() {
    socat_.start("socat", {"-d", "-d", "pty,raw,echo=0,link=" + a_, "pty,raw,echo=0,link=" + b_});
    if (!socat_.waitForStarted(3000)) return false;
    if (!waitUntil([this] { return QFileInfo::exists(a_) && QFileInfo::exists(b_); }, 5000)) return false;
    fd_ = ::open(b_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return false;
    // socat links each end before it makes it raw: written sooner, "\n" would go out as "\r\n".
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return false;
    ::cfmakeraw(&t);
    return ::tcsetattr(fd_, TCSANOW, &t) == 0;
  }
  // Ends socat: killed, the devices vanish as an unplugged adapter does.
  void stop(bool kill) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (socat_.state() == QProcess::NotRunning) return;
    if (kill)
      socat_.kill();
    else
      socat_.terminate();
    socat_.waitForFinished(3000);
    // A killed socat leaves its links behind, pointing at terminal numbers that the next pair may
    // reuse for the other end: remove them, as the device nodes of an unplugged adapter go.
    QFile::remove(a_);
    QFile::remove(b_);
  }
  // Writes all of text, letting the event loop run while the terminal's buffer is full.
  bool write(const std::string& text) {
    std::size_t done = 0;
    return waitUntil([&] {
      const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      return done == text.size();
    });
  }
  // What came back out of end B: anything the port sent.
  std::string readBack() {
    char buf[256];
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
  }
  const QString& endA() const { return a_; }

 private:
  QString a_, b_;
  QProcess socat_;
  int fd_ = -1;
};

// Each test gets its own config folder (XDG_CONFIG_HOME) with COM1 linked to end A of a fresh pair.
class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPaths::findExecutable("socat").isEmpty()) GTEST_SKIP() << "socat is not installed";
    ASSERT_TRUE(dir_.isValid());
    hadXdg_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    oldXdg_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    ASSERT_TRUE(QDir(dir_.path()).mkpath("sorvant"));
    pty_ = std::make_unique<PtyPair>(dir_.path());
    ASSERT_TRUE(pty_->start());
    linkPort(1, pty_->endA());
  }
  void TearDown() override {
    pty_.reset();
    if (hadXdg_)
      qputenv("XDG_CONFIG_HOME", oldXdg_);
    else
      qunsetenv("XDG_CONFIG_HOME");
  }
  void linkPort(int n, const QString& target) {
    ASSERT_TRUE(QFile::link(target, dir_.path() + "/sorvant/COM" + QString::number(n)));
  }
  // Collects what each receive event hands over, reading as the receive handler does.
  void collect(QtSerialPort& port) {
    port.setReceiveHandler([this, &port] {
      chunks_.push_back(port.input());
      port.discardInput();
    });
  }
  std::string received() const {
    std::string all;
    for (const std::string& c : chunks_) all += c;
    return all;
  }
  bool receivedEnds(const std::string& tail, int timeoutMs = 3000) {
    return waitUntil([&] { return received().ends_with(tail); }, timeoutMs);
  }

  QTemporaryDir dir_;
  std::unique_ptr<PtyPair> pty_;
  std::vector<std::string> chunks_;
  bool hadXdg_ = false;
  QByteArray oldXdg_;
};

// The hold-back's timing is the rules' (tested on a fake clock); here the port is given a fake clock
// that only the test moves, so a test process paused between two writes cannot release a cut message.
TEST_F(SerialPortTest, DeliversDfMessagesWholeAndAllCharactersInOrder) {
  test::FakeClock clock;
  QtSerialPort port;
  port.useClock(clock);
  collect(port);
  port.setSettings("1200,n,8,1");
  EXPECT_EQ(port.holdBackMs(), MessageHoldBack::holdMs(1200));
  port.setSettings("4800,n,8,1");
  ASSERT_TRUE(port.open()) << port.lastError();
  EXPECT_TRUE(port.portOpen());
  EXPECT_EQ(port.lastError(), "");
  // A cut message waits for its digits as long as they take at the line's speed.
  EXPECT_EQ(port.holdBackMs(), MessageHoldBack::holdMs(4800));

  ASSERT_TRUE(pty_->write("%123\r\n"));
  ASSERT_TRUE(receivedEnds("%123\r\n"));

  // A message split across writes reaches the handler in one piece, however long the writer pauses
  // in wall time: only the port's clock says how long the line has been quiet.
  chunks_.clear();
  ASSERT_TRUE(pty_->write("$GPVTG,,\r\n%1"));
  ASSERT_TRUE(waitUntil([&] { return port.heldBack() == 2; }));
  QTest::qWait(3 * port.holdBackMs());
  EXPECT_EQ(received(), "$GPVTG,,\r\n");
  ASSERT_TRUE(pty_->write("23\r"));
  ASSERT_TRUE(receivedEnds("%123\r"));
  EXPECT_EQ(received(), "$GPVTG,,\r\n%123\r");
  for (const std::string& chunk : chunks_) EXPECT_FALSE(chunk.ends_with("%1")) << chunk;

  // A message that never gets its digits is still handed over once the line has been quiet for the
  // hold time on the port's clock.
  chunks_.clear();
  ASSERT_TRUE(pty_->write("%7"));
  ASSERT_TRUE(waitUntil([&] { return port.heldBack() == 2; }));
  clock.advance(port.holdBackMs() / 1000.0);
  ASSERT_TRUE(receivedEnds("%7"));
  EXPECT_EQ(chunks_, std::vector<std::string>{"%7"});

  // A long mixed stream arrives complete and in order, whatever the reads cut it into.
  chunks_.clear();
  std::string stream;
  for (int i = 0; i < 400; ++i)
    stream += "$GPRMC,123519,A,4807.038,N,01131.000,E," + std::to_string(i) + "\r\n%" + std::to_string(100 + i % 260);
  for (std::size_t at = 0; at < stream.size(); at += 997) ASSERT_TRUE(pty_->write(stream.substr(at, 997)));
  ASSERT_TRUE(receivedEnds(stream.substr(stream.size() - 20)));
  EXPECT_EQ(received(), stream);

  EXPECT_EQ(pty_->readBack(), "") << "the port must never write to the line";
  port.close();
  EXPECT_FALSE(port.portOpen());
}

TEST_F(SerialPortTest, FailedOpenLeavesThePortClosedAndSaysWhy) {
  linkPort(2, dir_.path() + "/unplugged");
  QtSerialPort missing;
  missing.setCommPort(2);
  EXPECT_FALSE(missing.open());
  EXPECT_FALSE(missing.portOpen());
  EXPECT_NE(missing.lastError().find("COM2"), std::string::npos) << missing.lastError();
  EXPECT_NE(missing.lastError().find("no such device"), std::string::npos) << missing.lastError();

  QtSerialPort first, second;
  ASSERT_TRUE(first.open()) << first.lastError();
  EXPECT_FALSE(second.open());
  EXPECT_FALSE(second.portOpen());
  EXPECT_NE(second.lastError().find("busy"), std::string::npos) << second.lastError();

  // A later successful open clears the reason.
  first.close();
  EXPECT_TRUE(second.open()) << second.lastError();
  EXPECT_EQ(second.lastError(), "");

  // Links to things that are no serial line say what they are; waiting for them opens nothing, so
  // nothing is read from them.
  const QString file = dir_.path() + "/file";
  QFile(file).open(QIODevice::WriteOnly);
  const QString fifo = dir_.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  const std::pair<QString, std::string> kinds[] = {{file, "a regular file"},
                                                   {dir_.path(), "a folder"},
                                                   {fifo, "a FIFO"},
                                                   {"/dev/null", "a character device without line settings"},
                                                   {"/dev/zero", "a character device without line settings"},
                                                   {"/dev/urandom", "a character device without line settings"}};
  int n = 3;
  for (const auto& [target, kind] : kinds) {
    linkPort(n, target);
    QtSerialPort wrong;
    wrong.setCommPort(n++);
    EXPECT_FALSE(wrong.open());
    EXPECT_FALSE(wrong.portOpen());
    EXPECT_NE(wrong.lastError().find("not a serial device: " + kind), std::string::npos) << wrong.lastError();
    EXPECT_FALSE(wrong.openWaiting());
    EXPECT_TRUE(wrong.portOpen());
    EXPECT_FALSE(wrong.deviceOpen());
    EXPECT_NE(wrong.lastError().find(kind), std::string::npos) << wrong.lastError();
  }
}

TEST_F(SerialPortTest, SurvivesTheDeviceVanishingAndResumesWhenItReturns) {
  QtSerialPort port;
  collect(port);
  ASSERT_TRUE(port.open()) << port.lastError();
  ASSERT_TRUE(pty_->write("%001"));
  ASSERT_TRUE(receivedEnds("%001"));

  pty_->stop(true);
  ASSERT_TRUE(waitUntil([&] { return !port.deviceOpen(); }));
  QTest::qWait(100);
  EXPECT_TRUE(port.portOpen());

  ASSERT_TRUE(pty_->start());
  ASSERT_TRUE(waitUntil([&] { return port.deviceOpen(); }, 3000));
  ASSERT_TRUE(pty_->write("%002"));
  ASSERT_TRUE(receivedEnds("%001%002"));

  // Once closed, the port no longer looks for its device.
  pty_->stop(true);
  ASSERT_TRUE(waitUntil([&] { return !port.deviceOpen(); }));
  port.close();
  ASSERT_TRUE(pty_->start());
  QTest::qWait(3 * QtSerialPort::kReopenMs);
  EXPECT_FALSE(port.deviceOpen());
  QtSerialPort other;
  EXPECT_TRUE(other.open()) << other.lastError();
}

// A whole system reading a pseudo-terminal through the adapter, with a clock the test moves. It starts
// from the settings file in the test's folder (the defaults when there is none) and, unless told not
// to, then turns from the test source to the receiver, which opens COM1.
struct LiveSystem {
  explicit LiveSystem(bool toReceiver = true) {
    port.useClock(clock);
    port.setReceiveHandler([this] { MSComm1_OnComm(sys); });
    initialiseSystem(sys);
    loadSystem(sys);
    Form_Resize(sys);
    if (toReceiver) CmdButton_TEST_Click(sys);
  }
  ~LiveSystem() { unloadSystem(sys); }
  void tick(double seconds = 0.05) {
    clock.advance(seconds);
    Timer1_Timer(sys);
  }
  bool counted(int total) {
    return waitUntil([&] { return sys.st.INCOUNT == total; });
  }

  test::FakeClock clock;
  QtSerialPort port;
  test::RecordingSurface surface;
  test::FakeWindowHost host;
  test::FakePicker picker;
  SeededRandom random;
  System sys{Platform{&EXECUTIVE, clock, port, surface, host, picker, random}};
};

TEST_F(SerialPortTest, SystemCountsEachMessageOnceWithItsTrueBearing) {
  LiveSystem live;
  DisplayState& st = live.sys.st;
  ASSERT_TRUE(live.port.portOpen()) << live.port.lastError();
  st.HEADING = 350;

  ASSERT_TRUE(pty_->write("%020\r\n"));
  ASSERT_TRUE(live.counted(1));
  EXPECT_EQ(st.TRUE_DF_BEARING, 10);
  EXPECT_EQ(st.BEARING_COUNT[10], 1);

  // Cut by the writer: read as "%0" it would count 350 (the heading alone).
  live.tick();
  ASSERT_TRUE(pty_->write("%0"));
  ASSERT_TRUE(waitUntil([&] { return live.port.heldBack() == 2; }));
  ASSERT_TRUE(pty_->write("45\r\n"));
  ASSERT_TRUE(live.counted(2));
  EXPECT_EQ(st.TRUE_DF_BEARING, 35);
  EXPECT_EQ(st.BEARING_COUNT[35], 1);
  EXPECT_EQ(st.BEARING_COUNT[350], 0);

  live.tick();
  QTest::qWait(50);
  EXPECT_EQ(st.INCOUNT, 2);

  // Line noise counts nothing, also a "%" that ends the data and waits for characters that never come.
  live.tick();
  ASSERT_TRUE(pty_->write("%abc%%%%x%" + std::string(3, '\0') + " $GPGGA,%"));
  ASSERT_TRUE(waitUntil([&] { return st.GPS_BUFFER.ends_with("$GPGGA,") && live.port.heldBack() == 1; }));
  live.clock.advance(live.port.holdBackMs() / 1000.0);
  ASSERT_TRUE(waitUntil([&] { return st.GPS_BUFFER.ends_with("$GPGGA,%"); }));
  live.tick();
  ASSERT_TRUE(pty_->write("%%%300\r\n"));
  ASSERT_TRUE(live.counted(3));
  EXPECT_EQ(st.TRUE_DF_BEARING, 290);
  EXPECT_EQ(st.BEARING_COUNT[350], 0);
}

TEST_F(SerialPortTest, SystemTakesTheHeadingFromNmeaOnTheSameLine) {
  LiveSystem live;
  DisplayState& st = live.sys.st;
  live.sys.opt.CmdButton_HEADING.caption = kHeadingGps;
  ASSERT_TRUE(live.port.portOpen()) << live.port.lastError();

  ASSERT_TRUE(
      pty_->write("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n"
                  "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"));
  ASSERT_TRUE(waitUntil([&] { return st.GPS_BUFFER.ends_with("W*6A\r\n"); }));
  live.tick();
  EXPECT_EQ(st.HEADING, 54);

  ASSERT_TRUE(pty_->write("%010\r\n"));
  ASSERT_TRUE(live.counted(1));
  EXPECT_EQ(st.TRUE_DF_BEARING, 64);
}

TEST_F(SerialPortTest, SystemShowsTheSilentLineWarningWhileTheDeviceIsGone) {
  LiveSystem live;
  MainControls& m = live.sys.main;
  ASSERT_TRUE(live.port.portOpen()) << live.port.lastError();

  pty_->stop(true);
  ASSERT_TRUE(waitUntil([&] { return !live.port.deviceOpen(); }));
  live.tick(6);
  EXPECT_TRUE(live.port.portOpen());
  EXPECT_TRUE(m.Label_COM_TIMEOUT.visible);

  ASSERT_TRUE(pty_->start());
  ASSERT_TRUE(waitUntil([&] { return live.port.deviceOpen(); }));
  ASSERT_TRUE(pty_->write("%100\r\n"));
  ASSERT_TRUE(live.counted(1));
  EXPECT_EQ(live.sys.st.TRUE_DF_BEARING, 100);
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
}

// The speed the terminal behind a path is set to, read through the descriptor this process already
// holds on it; 0 when none is open. A second open of the device would fail for anyone but root: the
// adapter opens it for exclusive use (TIOCEXCL), as a port taken by one program should be.
speed_t terminalSpeed(const QString& path) {
  const QString device = QFileInfo(path).canonicalFilePath();
  const QDir descriptors(QStringLiteral("/proc/self/fd"));
  for (const QString& entry : descriptors.entryList(QDir::Files | QDir::System)) {
    if (QFileInfo(descriptors.filePath(entry)).symLinkTarget() != device) continue;
    termios t{};
    if (::tcgetattr(entry.toInt(), &t) == 0) return ::cfgetispeed(&t);
  }
  return 0;
}

TEST_F(SerialPortTest, StoredSpeedReachesThePortThatStartUpOpens) {
  // Stored: test source off with acquisition on, so reading the file opens the port.
  std::string file = defaultSettingsText();
  file.replace(file.find(kTestOn), kTestOn.size(), kTestOff);
  const std::size_t rate = file.find("\r\n4800\r\n") + 2;
  for (const auto& [stored, expected] : {std::pair{"1200", B1200}, {"2400", B2400}, {"4800", B4800}}) {
    file.replace(rate, 4, stored);
    std::ofstream(settingsPath(), std::ios::binary | std::ios::trunc) << file;
    LiveSystem live(false);
    ASSERT_TRUE(live.port.deviceOpen()) << live.port.lastError();
    EXPECT_EQ(live.sys.main.Label_COMM.caption, "COM1 @ " + std::string(stored) + " BAUD");
    EXPECT_EQ(terminalSpeed(pty_->endA()), expected) << stored;
  }
}

TEST_F(SerialPortTest, AdapterPluggedInAfterStartIsReadWithoutAnyCommand) {
  pty_->stop(false);  // COM1 now links to nothing, as for an adapter not yet enumerated
  LiveSystem live;
  MainControls& m = live.sys.main;
  EXPECT_TRUE(live.port.portOpen());
  EXPECT_FALSE(live.port.deviceOpen());
  live.tick(6);
  EXPECT_TRUE(m.Label_COM_TIMEOUT.visible);
  EXPECT_NE(m.Label_COM_TIMEOUT.toolTip.find("no such device"), std::string::npos) << m.Label_COM_TIMEOUT.toolTip;
  EXPECT_NE(m.Label_COMM.toolTip.find(pty_->endA().toStdString() + " (linked from "), std::string::npos)
      << m.Label_COMM.toolTip;

  ASSERT_TRUE(pty_->start());
  ASSERT_TRUE(waitUntil([&] { return live.port.deviceOpen(); }));
  ASSERT_TRUE(pty_->write("%100\r\n"));
  ASSERT_TRUE(live.counted(1));
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
  live.tick();
  EXPECT_EQ(m.Label_COM_TIMEOUT.toolTip, "");
  EXPECT_EQ(m.Label_COMM.toolTip.find("no such device"), std::string::npos);
}

}  // namespace
