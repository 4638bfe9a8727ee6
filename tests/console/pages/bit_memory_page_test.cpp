// "Read Bit Memory": the window "Send" asks for, what the memo then shows,
// "Clear", and the page's picture.
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "Main.h"
#include "reply/MainState.h"
#include "bit_memory_picture.h"
#include "jpeg_decoder.h"
#include "pages/PageState.h"
#include "pages_fixture.h"

namespace {

class BitMemoryPage : public PagesOverBothLinks {
 protected:
  // Reads track 3 the way a read test would, so that the bit memory holds it.
  void readTrackThree() {
    std::string text;
    ASSERT_EQ(card.ReadTrack('3', &text), 0);
  }
};

TEST_P(BitMemoryPage, SendBeforeAnyClickAsksForTheFirstWindow) {
  readTrackThree();
  Form1->Button20->click();
  ASSERT_TRUE(sim.WaitForRequests(1, 3000));
  EXPECT_EQ(takeLines(), std::vector<std::string>{"300"});
  EXPECT_EQ(CommandId, 30);
  const QString expected = QString::fromLatin1(("000" + card.BitMemory().substr(0, 200)).c_str());
  EXPECT_TRUE(waitFor([&] { return memoText("Memo4").trimmed() == expected; }))
      << memoText("Memo4").toStdString();
  EXPECT_EQ(panelText(), "Bits 001-200, Memory of last read...");
}

TEST_P(BitMemoryPage, SendAfterARadioClickAsksForThatWindow) {
  readTrackThree();
  Form1->RadioButton20->click();
  EXPECT_EQ(BitMemoryMode, 5);
  Form1->Button20->click();
  ASSERT_TRUE(sim.WaitForRequests(1, 3000));
  EXPECT_EQ(takeLines(), std::vector<std::string>{"340"});
  EXPECT_EQ(CommandId, 34);
  EXPECT_TRUE(waitFor([] { return panelText() == "Bits 001-800, Memory of last read..."; }));
  EXPECT_EQ(memoText("Memo4").trimmed().size(), 803);

  // The window comes from the last click, not from the radio buttons' state.
  Form1->RadioButton18->click();
  Form1->RadioButton16->setChecked(true);
  Form1->Button20->click();
  ASSERT_TRUE(sim.WaitForRequests(1, 3000));
  EXPECT_EQ(takeLines(), std::vector<std::string>{"320"});
  EXPECT_EQ(CommandId, 32);
  EXPECT_TRUE(waitFor([] { return panelText() == "Bits 401-600, Memory of last read..."; }));
}

TEST_P(BitMemoryPage, ClearEmptiesTheMemoAndSendsNothing) {
  Form1->Button20->click();
  ASSERT_TRUE(waitFor([] { return !memoText("Memo4").isEmpty(); }));
  sim.ClearRequests();
  Form1->Button21->click();
  EXPECT_TRUE(memoText("Memo4").isEmpty());
  EXPECT_EQ(panelText(), "Form Clear OK !!");
  EXPECT_FALSE(sim.WaitForRequests(1, 200));
}

INSTANTIATE_TEST_SUITE_P(Links, BitMemoryPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

TEST_F(PagesTest, BitMemoryPageShowsItsCaptionsAndPicture) {
  EXPECT_EQ(Form1->RadioButton16->text(), "Read bit memory of the last read, bits 001 - 200");
  EXPECT_EQ(Form1->RadioButton20->text(), "Read bit memory of the last read, bits 001 - 800");
  EXPECT_TRUE(Form1->RadioButton16->isChecked());
  EXPECT_TRUE(Form1->Memo4->isReadOnly());
  const QPixmap picture = Form1->Image2->pixmap();
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(640, 150));
  EXPECT_TRUE(Form1->Image2->hasScaledContents());
}

TEST(JpegDecoder, DecodesThePictureAndRefusesOtherBytes) {
  const QByteArray jpeg = BitMemoryPictureJpeg();
  const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.constData());
  const QImage picture = decodeJpeg(bytes, static_cast<std::size_t>(jpeg.size()));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(640, 150));
  // the stripe of the drawn card is dark, its face below it white
  EXPECT_LT(qGray(picture.pixel(100, 40)), 100);
  EXPECT_GT(qGray(picture.pixel(100, 110)), 230);

  const unsigned char notJpeg[] = "this is no picture at all";
  EXPECT_TRUE(decodeJpeg(notJpeg, sizeof notJpeg).isNull());
  EXPECT_TRUE(decodeJpeg(bytes, 200).isNull());
  EXPECT_TRUE(decodeJpeg(nullptr, 0).isNull());
}

}  // namespace
