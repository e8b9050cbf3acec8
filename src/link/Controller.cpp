#include "link/Controller.h"

#include "link/SplashImage.h"
#include "module/ControllerCommands.h"
#include "module/Geometry.h"

namespace om6211 {

void Controller::play(std::span<const SequenceStep> steps, bool clearRam) {
  for (const SequenceStep& step : steps) {
    switch (step.kind) {
      case SequenceStep::Kind::ResetLine:
        link_->setControlLines({.resetReleased = step.value != 0, .backlightOn = false});
        break;
      case SequenceStep::Kind::Sleep:
        link_->flush();  // nothing waits in a queue through a pause
        pauses_->sleep(step.value);
        break;
      case SequenceStep::Kind::Command:
        command(static_cast<uint8_t>(step.value));
        break;
      case SequenceStep::Kind::ContrastPair:
        sendContrast(settings_.contrastOn, settings_.contrastValue);
        break;
      case SequenceStep::Kind::ClearRam:
        if (!clearRam) break;
        for (int i = 0; i < module::RamBytes; ++i) link_->SendData(0x00, settings_.busDelay);
        break;
    }
  }
}

void Controller::sendContrast(bool contrastOn, uint8_t contrastValue) {
  command(contrastOn ? command::ContrastOn : command::ContrastOff);
  command(command::contrastLevel(contrastOn ? contrastValue : 0));
}

void Controller::pulseReset() {
  play(sequence::ResetPulse);
}

void Controller::resume() {
  play(sequence::Resume);
}

void Controller::powerUp(bool clearRam) {
  pulseReset();
  play(sequence::PowerUp, clearRam);
}

void Controller::Init(StartupPicture picture) {
  powerUp(true);
  if (picture == StartupPicture::None) return;
  if (picture == StartupPicture::Splash) {
    ShowSplash();
  } else {
    command(sequence::AllPixelsOn);
  }
  play(sequence::AfterStartupPicture);
}

void Controller::ShowSplash() {
  command(command::pageAddress(0));
  command(command::columnHigh(0));
  command(command::columnLow(0));
  for (uint8_t pageByte : SplashImage) link_->SendData(pageByte, settings_.busDelay);
}

void Controller::CleanUp() {
  play(sequence::ShutDown);
}

void Controller::setAddress(int32_t page, int32_t pixelColumn) {
  link_->SendCommand(command::pageAddress(page), settings_.addressDelay);
  link_->SendCommand(command::columnHigh(pixelColumn), settings_.addressDelay);
  link_->SendCommand(command::columnLow(pixelColumn), settings_.addressDelay);
}

}  // namespace om6211
