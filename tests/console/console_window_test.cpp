// The console's application frame: the exception dialog, the integer
// conversion, the Esc key for the link layer, the windows themselves.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "gui/EventHandlers.h"
#include "Main.h"
#include "gui/StrToInt.h"
#include "Unit2.h"
#include "console_fixture.h"
#include "link/link.h"

namespace {

using ConsoleWindow = ConsoleTest;

TEST(StrToIntTest, AcceptsDecimalIntegersOf32Bits) {
  EXPECT_EQ(StrToInt("1"), 1);
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("+0"), 0);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToIntTest, RejectsEverythingElseWithTheConversionMessage) {
  for (const char* text : {"", "abc", "12a", "1 ", "-", "2147483648", "-2147483649", "0x10"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError& error) {
      EXPECT_EQ(std::string(error.what()), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST_F(ConsoleWindow, ExceptionLeavingAHandlerIsShownAndTheLoopGoesOn) {
  QPushButton button("Start");
  int clicks = 0;
  bindClick(&button, [&clicks] {
    ++clicks;
    StrToInt("12x");
  });
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(messages(), std::vector<std::string>{"'12x' is not a valid integer value"});
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(messages().size(), 2u);
}

// An object whose event handling throws for a posted user event.
class ThrowingReceiver : public QObject {
 public:
  int events = 0;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    ++events;
    throw EConvertError("'' is not a valid integer value");
  }
};

TEST_F(ConsoleWindow, ExceptionEscapingEventDeliveryIsShownByTheApplication) {
  ThrowingReceiver receiver;
  QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
  QCoreApplication::sendPostedEvents(&receiver, QEvent::User);
  EXPECT_EQ(receiver.events, 2);
  EXPECT_EQ(messages(), (std::vector<std::string>{"'' is not a valid integer value",
                                                  "'' is not a valid integer value"}));
}

TEST_F(ConsoleWindow, EscPressedInAWindowIsSeenOnceByTheLinkLayer) {
  EXPECT_FALSE(CheckEscape());
  QTest::keyClick(Form1, Qt::Key_Escape);
  EXPECT_TRUE(CheckEscape());
  EXPECT_FALSE(CheckEscape());
}

TEST_F(ConsoleWindow, ClientSocketHandlersWriteTheStatusLine) {
  EXPECT_EQ(Form1->ClientSocket1->Port, 1024);
  EXPECT_FALSE(Form1->ClientSocket1->Active);
  Form1->ClientSocket1->OnConnect("reader.local");
  EXPECT_EQ(panelText(), "Connect to: reader.local");
  int errorCode = 10061;
  Form1->ClientSocket1->OnError(errorCode);
  EXPECT_EQ(panelText(), "Error connecting to:");
  EXPECT_EQ(errorCode, 0);
}

TEST_F(ConsoleWindow, RemoveDialogExistsButIsNotShown) {
  ASSERT_NE(Remove, nullptr);
  EXPECT_EQ(Remove->windowTitle(), "Remove");
  EXPECT_FALSE(Remove->isVisible());
  EXPECT_NE(Remove->findChild<QLabel*>(), nullptr);
  EXPECT_EQ(Remove->findChild<QLabel*>()->text(), "ReMove The Card");
}

TEST_F(ConsoleWindow, MainWindowScreenshot) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
  const QString folder = QStringLiteral(SCREENSHOT_DIR);
  ASSERT_TRUE(QDir().mkpath(folder));
  const QPixmap shot = Form1->grab();
  EXPECT_GE(shot.width(), 600);
  EXPECT_TRUE(shot.save(folder + "/main_window.png"));
}

}  // namespace
