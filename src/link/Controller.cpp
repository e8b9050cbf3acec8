#include "link/Controller.h"

#include "link/ControllerCommands.h"
#include "link/SplashImage.h"

namespace om6211 {
namespace {

constexpr int DisplayRamBytes = 84 * 6;

}  // namespace

void Controller::play(std::span<const SequenceStep> steps) {
  for (const SequenceStep& step : steps) {
    switch (step.kind) {
      case SequenceStep::Kind::DataRegister:
        link_->writeDataRegister(static_cast<uint8_t>(step.value));
        break;
      case SequenceStep::Kind::Sleep:
        pauses_->sleep(step.value);
        break;
      case SequenceStep::Kind::Command:
        command(static_cast<uint8_t>(step.value));
        break;
      case SequenceStep::Kind::ContrastPair:
        sendContrast(settings_->ContrastOn, settings_->ContrastValue);
        break;
      case SequenceStep::Kind::ClearRam:
        for (int i = 0; i < DisplayRamBytes; ++i) link_->SendData(0x00, settings_->BusDelay);
        break;
    }
  }
}

void Controller::sendContrast(bool contrastOn, uint8_t contrastValue) {
  command(contrastOn ? command::ContrastOn : command::ContrastOff);
  command(command::contrastLevel(contrastOn ? contrastValue : 0));
}

void Controller::Init() {
  play(sequence::PowerUp);
  if (!settings_->FirstInitPending) return;
  if (settings_->GraphicsWidth == DriverSettings::MaxGraphicsWidth &&
      settings_->GraphicsHeight == DriverSettings::MaxGraphicsHeight) {
    ShowSplash();
  } else {
    command(sequence::AllPixelsOn);
  }
  play(sequence::AfterStartupPicture);
  settings_->FirstInitPending = false;
}

void Controller::ShowSplash() {
  command(command::pageAddress(0));
  command(command::columnHigh(0));
  command(command::columnLow(0));
  for (uint8_t pageByte : SplashImage) link_->SendData(pageByte, settings_->BusDelay);
}

void Controller::CleanUp() {
  play(sequence::ShutDown);
}

bool Controller::onGrid(int32_t column, int32_t row) const {
  return column >= 0 && row >= 0 && column <= settings_->TextColumns - 1 &&
         row <= settings_->TextRows - 1;
}

void Controller::placeCursor(int32_t column, int32_t row) {
  if (!onGrid(column, row)) return;
  settings_->CursorColumn = column;
  settings_->CursorRow = row;
}

void Controller::SetOutputAddress(int32_t column, int32_t row) {
  if (!onGrid(column, row)) return;
  const int32_t pixelColumn = column * 6;
  link_->SendCommand(command::pageAddress(row), settings_->AddressDelay);
  link_->SendCommand(command::columnHigh(pixelColumn), settings_->AddressDelay);
  link_->SendCommand(command::columnLow(pixelColumn), settings_->AddressDelay);
  settings_->CursorColumn = column;
  settings_->CursorRow = row;
}

}  // namespace om6211
