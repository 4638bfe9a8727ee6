// "Ethernet Set": what "Write" and "Read" (and their hidden twins) send, what
// the simulated reader stores, and what a read-back shows in the edits.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

#include "Main.h"
#include "link/link.h"
#include "net_settings_lines.h"
#include "pages_fixture.h"
#include "reply/MainState.h"

namespace {

std::string lastSentBytes() {
  return std::string(reinterpret_cast<const char*>(LastSendBytes()),
                     static_cast<size_t>(LastSendLength()));
}

QStringList editTexts() {
  QStringList texts;
  for (QLineEdit* edit :
       Form1->findChildren<QLineEdit*>(QRegularExpression("^e(Mac|IP|Gate|Subnet|Dns|EPort)")))
    texts << edit->objectName() + "=" + edit->text();
  texts.sort();
  return texts;
}

class EthernetSetPage : public PagesOverBothLinks {
 protected:
  // Clicks and waits for the reply's message; returns the bytes sent.
  std::string click(QAbstractButton* button, const QString& message) {
    Form1->Panel1->clear();
    button->click();
    EXPECT_TRUE(sim.WaitForRequests(1, 3000)) << "nothing sent";
    EXPECT_TRUE(waitFor([&] { return panelText() == message; })) << panelText().toStdString();
    return lastSentBytes();
  }

  readersim::NetSettingsLines net{sim};
};

TEST_P(EthernetSetPage, ControlsAsTheWindowStarts) {
  EXPECT_FALSE(Form1->cMac->isEnabled());
  EXPECT_FALSE(Form1->eMac1->isEnabled());
  EXPECT_FALSE(Form1->eMac6->isEnabled());
  EXPECT_TRUE(Form1->eIP1->isEnabled());
  EXPECT_EQ(Form1->eMac3->maxLength(), 2);
  for (QCheckBox* box :
       {Form1->cMac, Form1->cIP, Form1->cGate, Form1->cSubnet, Form1->cDNS, Form1->cEPort})
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
  EXPECT_EQ(Form1->cIP->text(), "My IP");
  EXPECT_EQ(Form1->cSubnet->text(), "SUB");
  EXPECT_EQ(Form1->Button55->text(), "Write");
  EXPECT_EQ(Form1->Button56->text(), "Read");
  EXPECT_TRUE(Form1->SET->isHidden());
  EXPECT_TRUE(Form1->SpeedButton2->isHidden());
  EXPECT_EQ(Form1->SET->text(), "Write");
  EXPECT_EQ(Form1->SpeedButton2->text(), "Read");
}

TEST_P(EthernetSetPage, NoBoxTickedSendsFiftyZeros) {
  Form1->eIP1->setText("10");
  EXPECT_EQ(click(Form1->Button55, "Ethernet Write ok !!"), "030" + std::string(50, '0') + "\r\n");
  EXPECT_EQ(CommandId, 3030);
}

TEST_P(EthernetSetPage, MyIpAndPortAreStoredByTheReader) {
  const QString ip[4] = {"10", "1", "2", "3"};
  QLineEdit* edits[4] = {Form1->eIP1, Form1->eIP2, Form1->eIP3, Form1->eIP4};
  for (int i = 0; i < 4; ++i) edits[i]->setText(ip[i]);
  Form1->eGate1->setText("192");  // unticked: sent as zeros
  Form1->eEPort->setText("3001");
  Form1->cIP->setChecked(true);
  Form1->cEPort->setChecked(true);
  net.SetText(std::string(48, '1'));

  const std::string sent = click(Form1->Button55, "Ethernet Write ok !!");
  EXPECT_EQ(sent, "03022" + std::string(12, '0') + "0A010203" + std::string(24, '0') + "0BB9\r\n");
  EXPECT_EQ(sent.size(), 55u);
  EXPECT_EQ(net.Text(), std::string(12, '1') + "0A010203" + std::string(24, '1') + "0BB9");
}

TEST_P(EthernetSetPage, HiddenWriteTwinSendsTheSameAndOddOctetsGoOutModulo) {
  Form1->cIP->setChecked(true);
  Form1->cGate->setChecked(true);
  Form1->cSubnet->setChecked(true);
  Form1->cDNS->setChecked(true);
  Form1->cEPort->setChecked(true);
  Form1->eIP1->setText("300");
  Form1->eIP2->setText("abc");
  EXPECT_EQ(click(Form1->SET, "Ethernet Write ok !!"),
            "0303E" + std::string(12, '0') + "2C00" + std::string(32, '0') + "\r\n");
}

TEST_P(EthernetSetPage, ReadAsksWithThreeFAndFillsTheEdits) {
  net.SetText(
      "0011223344aa"
      "0A010203"
      "0A010201"
      "FFFFFF00"
      "0a0102c0"
      "0BB9");
  EXPECT_EQ(click(Form1->Button56, "Ethernet Read ok !!"), "0313F\r\n");
  EXPECT_EQ(LastSendLength(), 7);
  EXPECT_EQ(CommandId, 3031);
  EXPECT_TRUE(waitFor([] { return Form1->eEPort->text() == "3001"; }));
  const QStringList expected = {
      "eDns1=10", "eDns2=1",      "eDns3=2",      "eDns4=192",    "eEPort=3001", "eGate1=10",
      "eGate2=1", "eGate3=2",     "eGate4=1",     "eIP1=10",      "eIP2=1",      "eIP3=2",
      "eIP4=3",   "eMac1=00",     "eMac2=11",     "eMac3=22",     "eMac4=33",    "eMac5=44",
      "eMac6=aa", "eSubnet1=255", "eSubnet2=255", "eSubnet3=255", "eSubnet4=0"};
  EXPECT_EQ(editTexts(), expected);
  EXPECT_FALSE(Form1->cIP->isChecked()) << "a read-back ticks no box";
}

TEST_P(EthernetSetPage, HiddenReadTwinAndAShortReplyFillOnlyWhatCame) {
  Form1->eSubnet4->setText("77");
  Form1->eEPort->setText("80");
  net.SetText(
      "001122334455"
      "0A010203"
      "0A0102");  // ends inside GATE
  click(Form1->SpeedButton2, "Ethernet Read: reply too short, 13 of 23 settings shown");
  EXPECT_EQ(lastSentBytes(), "0313F\r\n");
  settle();
  EXPECT_EQ(Form1->eMac6->text(), "55");
  EXPECT_EQ(Form1->eIP4->text(), "3");
  EXPECT_EQ(Form1->eGate3->text(), "2");
  EXPECT_EQ(Form1->eGate4->text(), "");
  EXPECT_EQ(Form1->eSubnet4->text(), "77") << "not shown as zero";
  EXPECT_EQ(Form1->eEPort->text(), "80");
}

TEST_P(EthernetSetPage, ErrorReplyLeavesTheEdits) {
  sim.SetStatusFor("031", 5);
  Form1->eIP1->setText("9");
  click(Form1->Button56, "Command unidentified !!");
  settle();
  EXPECT_EQ(Form1->eIP1->text(), "9");
}

INSTANTIATE_TEST_SUITE_P(Links, EthernetSetPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

}  // namespace
