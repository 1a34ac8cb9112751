// Injected mouse input of the Wine tests: cursor placement, buttons and wheel through SendInput.
#include "wine_test_support.h"

#include <vector>

namespace {

INPUT ButtonInput(MouseButton button, bool down) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  switch (button) {
    case MouseButton::Left: input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP; break;
    case MouseButton::Right: input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP; break;
    case MouseButton::Middle: input.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP; break;
    case MouseButton::X1:
    case MouseButton::X2:
      input.mi.dwFlags = down ? MOUSEEVENTF_XDOWN : MOUSEEVENTF_XUP;
      input.mi.mouseData = button == MouseButton::X1 ? XBUTTON1 : XBUTTON2;
      break;
  }
  return input;
}

INPUT WheelInput(int delta) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  input.mi.mouseData = static_cast<DWORD>(delta);
  return input;
}

void Inject(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void MoveCursorTo(POINT screenPoint) {
  // SetCursorPos moves the system's cursor before it returns, so the next injected button
  // is reported at this point; a relative or absolute SendInput move would be scaled.
  SetCursorPos(screenPoint.x, screenPoint.y);
}

void SendButton(MouseButton button, bool down) { Inject({ButtonInput(button, down)}); }

void SendBouncingButton(MouseButton button, bool down, int bounces) {
  std::vector<INPUT> inputs = {ButtonInput(button, down)};
  for (int i = 0; i < bounces; ++i) {
    inputs.push_back(ButtonInput(button, !down));
    inputs.push_back(ButtonInput(button, down));
  }
  Inject(inputs);
}

void SendWheel(int delta) { Inject({WheelInput(delta)}); }

void SendClick(MouseButton button) {
  Inject({ButtonInput(button, true), ButtonInput(button, false)});
}

void SendDoubleClick(MouseButton button) {
  Inject({ButtonInput(button, true), ButtonInput(button, false), ButtonInput(button, true),
          ButtonInput(button, false)});
}

void SettleInput(DWORD ms) { PumpMessagesFor(ms); }

InputStep ButtonStep(MouseButton button, bool down, DWORD pauseBeforeMs) {
  return InputStep{InputStep::Kind::Button, button, down, 0, pauseBeforeMs};
}

InputStep ButtonStepAfterInjection(MouseButton button, bool down, DWORD pauseMs) {
  InputStep step = ButtonStep(button, down, pauseMs);
  step.fromInjection = true;
  return step;
}

InputStep BouncingButtonStep(MouseButton button, bool down, int bounces, DWORD pauseBeforeMs) {
  return InputStep{InputStep::Kind::Button, button, down, 0, pauseBeforeMs, bounces};
}

InputStep WheelStep(int delta, DWORD pauseBeforeMs) {
  return InputStep{InputStep::Kind::Wheel, MouseButton::Left, false, delta, pauseBeforeMs};
}
