// "Ethernet Set": what "Write" and "Read" (and their hidden twins) send, what
// the simulated reader stores, and what a read-back shows in the edits.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "Main.h"
#include "link/link.h"
#include "net_settings_lines.h"
#include "pages_fixture.h"
#include "reply/MainState.h"

namespace {

class EthernetSetPage : public PagesOverBothLinks {
 protected:
  // Clicks, waits for the reply's message and returns the bytes sent.
  std::string click(QAbstractButton* button, const QString& message) {
    Form1->Panel1->clear();
    button->click();
    EXPECT_TRUE(sim.WaitForRequests(1, 3000)) << "nothing sent";
    EXPECT_TRUE(waitFor([&] { return panelText() == message; })) << panelText().toStdString();
    settle();
    sim.ClearRequests();
    return std::string(reinterpret_cast<const char*>(LastSendBytes()), LastSendLength());
  }
  static QStringList texts(std::initializer_list<QLineEdit*> edits) {
    QStringList all;
    for (QLineEdit* edit : edits) all << edit->text();
    return all;
  }

  readersim::NetSettingsLines net{sim};
};

TEST_P(EthernetSetPage, MacCannotBeSelectedAndTheTwinsAreHidden) {
  EXPECT_FALSE(Form1->cMac->isEnabled());
  EXPECT_FALSE(Form1->eMac1->isEnabled());
  EXPECT_EQ(Form1->eMac6->maxLength(), 2);
  EXPECT_TRUE(Form1->SET->isHidden() && Form1->SpeedButton2->isHidden());
  EXPECT_EQ(Form1->SET->text() + Form1->SpeedButton2->text(), "WriteRead");
}

TEST_P(EthernetSetPage, WritesSendFiftyCharactersAndTheReaderStoresTheTickedGroups) {
  Form1->eIP1->setText("10");
  EXPECT_EQ(click(Form1->Button55, "Ethernet Write ok !!"), "030" + std::string(50, '0') + "\r\n");
  EXPECT_EQ(CommandId, 3030);

  for (auto [edit, text] : {std::pair{Form1->eIP2, "1"},
                            {Form1->eIP3, "2"},
                            {Form1->eIP4, "3"},
                            {Form1->eGate1, "192"},
                            {Form1->eEPort, "3001"}})
    edit->setText(text);
  Form1->cIP->setChecked(true);
  Form1->cEPort->setChecked(true);
  net.SetText(std::string(48, '1'));
  const std::string sent = click(Form1->Button55, "Ethernet Write ok !!");
  EXPECT_EQ(sent, "03022" + std::string(12, '0') + "0A010203" + std::string(24, '0') + "0BB9\r\n");
  EXPECT_EQ(sent.size(), 55u);
  EXPECT_EQ(net.Text(), std::string(12, '1') + "0A010203" + std::string(24, '1') + "0BB9");

  Form1->cGate->setChecked(true);
  Form1->cSubnet->setChecked(true);
  Form1->cDNS->setChecked(true);
  for (QLineEdit* edit : Form1->Panel2->findChildren<QLineEdit*>()) edit->setText(" 255 ");
  Form1->eEPort->setText("65535");
  Form1->eDns4->setText("");  // an empty octet goes out as 0
  EXPECT_EQ(click(Form1->SET, "Ethernet Write ok !!"),
            "0303E" + std::string(12, '0') + std::string(30, 'F') + "00FFFF\r\n");
}

TEST_P(EthernetSetPage, ATickedFieldThatIsNoWholeNumberInRangeIsRefusedAndNothingSent) {
  for (QCheckBox* box : Form1->Panel2->findChildren<QCheckBox*>()) box->setChecked(true);
  const std::tuple<QLineEdit*, const char*, std::string> rows[] = {
      {Form1->eIP1, "999", "My IP field 1"},   {Form1->eGate2, "-5", "GATE field 2"},
      {Form1->eSubnet3, "abc", "SUB field 3"}, {Form1->eDns4, "1x", "DNS field 4"},
      {Form1->eEPort, "70000", "PORT"},        {Form1->eEPort, "0", "PORT"},
      {Form1->eEPort, "", "PORT"}};
  for (const auto& [edit, text, field] : rows) {
    for (QLineEdit* any : Form1->Panel2->findChildren<QLineEdit*>()) any->setText("1");
    edit->setText(text);
    clearMessages();
    Form1->Button55->click();
    const char* range = edit == Form1->eEPort ? " (a number 1-65535)" : " (a number 0-255)";
    EXPECT_EQ(messages(), std::vector<std::string>{"SETTING ERROR - Check " + field + range});
  }
  EXPECT_FALSE(sim.WaitForRequests(1, 100));
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
  EXPECT_EQ(CommandId, 3031);
  EXPECT_EQ(
      texts({Form1->eMac1, Form1->eMac2, Form1->eMac3, Form1->eMac4, Form1->eMac5, Form1->eMac6}),
      QStringList({"00", "11", "22", "33", "44", "aa"}));
  EXPECT_EQ(texts({Form1->eIP1, Form1->eIP2, Form1->eIP3, Form1->eIP4, Form1->eGate1, Form1->eGate2,
                   Form1->eGate3, Form1->eGate4, Form1->eSubnet1, Form1->eSubnet2, Form1->eSubnet3,
                   Form1->eSubnet4, Form1->eDns1, Form1->eDns2, Form1->eDns3, Form1->eDns4,
                   Form1->eEPort}),
            QStringList({"10", "1", "2", "3", "10", "1", "2", "1", "255", "255", "255", "0", "10",
                         "1", "2", "192", "3001"}));
  EXPECT_FALSE(Form1->cIP->isChecked()) << "a read-back ticks no box";
}

TEST_P(EthernetSetPage, AShortReadBackFillsOnlyWhatCameAndSaysSo) {
  Form1->eSubnet4->setText("77");
  Form1->eEPort->setText("80");
  net.SetText(
      "001122334455"
      "0A010203"
      "0A0102");  // ends inside GATE
  EXPECT_EQ(click(Form1->SpeedButton2, "Ethernet Read: reply too short, 13 of 23 settings shown"),
            "0313F\r\n");
  EXPECT_EQ(texts({Form1->eMac6, Form1->eIP4, Form1->eGate3, Form1->eGate4, Form1->eSubnet4,
                   Form1->eEPort}),
            QStringList({"55", "3", "2", "", "77", "80"}));
}

INSTANTIATE_TEST_SUITE_P(Links, EthernetSetPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

}  // namespace
