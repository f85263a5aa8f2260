#include "ui/channel_frame.h"

#include <QLabel>

#include "platform/widgets/message_box.h"
#include "ui/channel_box.h"
#include "ui/fitted_caption.h"
#include "ui/qstring_view.h"
#include "ui/twips.h"

namespace hopper {

ChannelFrame::ChannelFrame(MessageBoxes& messages, QWidget* parent)
    : QGroupBox(QStringLiteral("Enter Change Coin Numbers"), parent), messages_(messages) {
  setObjectName(QStringLiteral("Frame1"));
  // One face and size for all sixteen captions, Channel16 as whole as Channel1.
  QStringList captions;
  for (int i = 0; i < kChannelCount; ++i) captions << QStringLiteral("Channel%1").arg(i + 1);
  const QRect labelPlace = TwipsRect(120, 360, 960 - 120, 180);  // up to its box
  const QFont captionFont = FittingFont(font().family(), font().pointSizeF(), captions, labelPlace.width());
  for (int i = 0; i < kChannelCount; ++i) {
    auto* label = new QLabel(captions[i], this);
    label->setObjectName(QStringLiteral("Label1_%1").arg(i));
    label->setGeometry(TwipsRect(120, 360 * (i + 1), 960 - 120, 180));
    label->setFont(captionFont);
    labels_[static_cast<std::size_t>(i)] = label;

    auto* box = new ChannelBox(i, this);
    box->setGeometry(TwipsRect(960, 315 + 363 * i, 1335, 270));
    label->setBuddy(box);
    boxes_[static_cast<std::size_t>(i)] = box;
    connect(box, &ChannelBox::FocusMoveRequested, this, &ChannelFrame::FocusAndSelect);
    connect(box, &ChannelBox::FileDropped, this, &ChannelFrame::FileDropped);
    connect(box, &QLineEdit::textChanged, this, [this, box] { ApplyEntryChangeRule(box); });
  }
  // The boxes are the first stops of the window's tab order, Channel1 to Channel16.
  for (int i = 1; i < kChannelCount; ++i) setTabOrder(Box(i - 1), Box(i));
}

ChannelTexts ChannelFrame::Texts() const {
  ChannelTexts texts;
  for (int i = 0; i < kChannelCount; ++i) texts[static_cast<std::size_t>(i)] = Box(i)->text().toStdString();
  return texts;
}

void ChannelFrame::SetLocked(bool locked) {
  for (ChannelBox* box : boxes_) box->setReadOnly(locked);
}

void ChannelFrame::FocusAndSelect(int index) {
  ChannelBox* box = Box(index);
  box->setFocus(Qt::OtherFocusReason);
  box->selectAll();
}

void ChannelFrame::ShowMarks(const HeldValues& held) {
  for (ChannelBox* box : boxes_) box->SetMark(held.MarkFor(box->Index(), box->text().toStdString()));
}

void ChannelFrame::ApplyEntryChangeRule(ChannelBox* box) {
  if (EntryChangeDecision(box->text().toStdString()) == EntryChange::Keep) {
    emit EntryChanged(box->Index());
    return;
  }
  messages_.Show(window(), Message{ToQString(kNumberOnlyMessage), MessageIcon::None, {}, {}});
  // Setting "0" runs the rule once more, and it passes.
  box->setText(ToQString(kResetEntry));
}

}  // namespace hopper
