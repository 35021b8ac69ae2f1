#include "tray/trayicon.h"

#include <cstring>

#include "tray/ansitext.h"

using namespace lumivox;

namespace {
constexpr std::size_t kMaxHintBytes = 64; // the hint must stay below this
} // namespace

TTrayIcon::TTrayIcon(TrayPlatform& platform) : platform_(platform) {
    timer_ = platform_.CreateTimer();
    iconIndex_ = 0;
    currentIcon_ = platform_.ApplicationIcon();
    RestoreOn = imDoubleClick;
    OnAnimate = [this](TTrayIcon& sender) { DoOnAnimate(sender); };
    PopupMenuOn = imNone;
    visible_ = false;
    hide_ = true;

    timer_->SetEnabled(false);
    timer_->SetOnTimer([this] { DoOnAnimate(*this); });
    timer_->SetInterval(1000);

    data_ = NotifyIconData{};
    data_.cbSize = kNotifyIconDataSize;
    data_.hWnd = platform_.CreateUtilityWindow([this](WindowMessage& m) { DoMessage(m); });
    data_.uID = reinterpret_cast<std::uintptr_t>(this);
    data_.hIcon = currentIcon_;
    data_.uFlags = kNifMessage | kNifIcon;
    data_.uCallbackMessage = msg::kTrayCallback;
    Update();
}

TTrayIcon::~TTrayIcon() {
    platform_.NotifyIcon(NotifyAction::Delete, data_);
    if (hooked_)
        platform_.UnhookApplication(this);
    platform_.DestroyUtilityWindow(data_.hWnd);
    timer_->SetEnabled(false);
}

void TTrayIcon::Loaded() {
    loading_ = false;
    if (!Icons) {
        animate_ = false;
        currentIcon_ = platform_.ApplicationIcon();
    } else {
        timer_->SetEnabled(animate_);
        CopyImage(iconIndex_);
    }
    Update();
}

void TTrayIcon::Notification(const void* component, TOperation operation) {
    if (operation != TOperation::opRemove || !component)
        return;
    if (component == Icons)
        Icons = nullptr;
    else if (component == PopupMenu)
        PopupMenu = nullptr;
}

void TTrayIcon::SetVisible(bool value) {
    visible_ = value;
    if (value) {
        if (!platform_.NotifyIcon(NotifyAction::Add, data_))
            throw EOutOfResources(kCannotCreateTrayIcon);
        hide_ = true;
        platform_.HookApplication(this,
                                  [this](WindowMessage& m) { return ApplicationHookProc(m); });
        hooked_ = true;
    } else {
        if (!platform_.NotifyIcon(NotifyAction::Delete, data_))
            throw EOutOfResources(kCannotRemoveTrayIcon);
        hide_ = false;
        platform_.UnhookApplication(this);
        hooked_ = false;
    }
}

void TTrayIcon::SetHint(const std::string& value) {
    if (value == hint_ || Cp936Length(value) >= kMaxHintBytes)
        return;
    hint_ = value;
    std::memset(data_.szTip, 0, sizeof data_.szTip);
    const std::string_view tip = Utf8Prefix(hint_, sizeof data_.szTip - 1);
    std::memcpy(data_.szTip, tip.data(), tip.size());
    if (!hint_.empty())
        data_.uFlags |= kNifTip;
    else
        data_.uFlags &= ~kNifTip;
    Update();
}

void TTrayIcon::Update() {
    data_.hIcon = currentIcon_;
    if (visible_)
        platform_.NotifyIcon(NotifyAction::Modify, data_);
}

void TTrayIcon::CopyImage(int index) {
    // Out-of-range indexes (the index is taken unchecked) leave the image as it is.
    if (Icons && index >= 0 && index < Icons->Count())
        currentIcon_ = Icons->GetIcon(index);
}

void TTrayIcon::SetIconIndex(int index) {
    iconIndex_ = index;
    CopyImage(index);
    Update();
}

void TTrayIcon::SetDefaultIcon() {
    currentIcon_ = platform_.ApplicationIcon();
    Update();
}

int TTrayIcon::GetAnimateInterval() const {
    return timer_->Interval();
}

void TTrayIcon::SetAnimateInterval(int milliseconds) {
    timer_->SetInterval(milliseconds);
}

void TTrayIcon::SetAnimate(bool value) {
    if (Icons || loading_)
        animate_ = value;
    if (Icons)
        timer_->SetEnabled(value);
}

void TTrayIcon::DoOnAnimate(TTrayIcon&) {
    // The timer may outlive its image list; without images there is nothing to step.
    if (!Icons || Icons->Count() <= 0)
        return;
    const int next = iconIndex_ < Icons->Count() - 1 ? iconIndex_ + 1 : 0;
    SetIconIndex(next);
    Update();
}

void TTrayIcon::DoMessage(WindowMessage& message) {
    switch (message.Msg) {
    case msg::kQueryEndSession:
        message.Result = 1;
        break;
    case msg::kEndSession:
        EndSession();
        break;
    case msg::kTrayCallback:
        HandleCallback(message.LParam);
        break;
    default:
        break;
    }
}

void TTrayIcon::HandleCallback(std::intptr_t mouseMessage) {
    const ScreenPoint at = platform_.CursorPos();
    const TShiftState keys = ShiftState(platform_);
    switch (mouseMessage) {
    case msg::kMouseMove:
        if (OnClick)
            DoMouseMove(keys, at.x, at.y);
        break;
    case msg::kLButtonDown:
        DoMouseDown(mbLeft, keys | ssLeft, at.x, at.y);
        break;
    case msg::kLButtonUp:
        if (OnClick)
            DoClick();
        DoMouseUp(mbLeft, keys | ssLeft, at.x, at.y);
        RespondTo(imLeftClickUp);
        break;
    case msg::kLButtonDblClk:
        DoDblClick();
        RespondTo(imLeftDoubleClick);
        break;
    case msg::kRButtonDown:
        DoMouseDown(mbRight, keys | ssRight, at.x, at.y);
        break;
    case msg::kRButtonUp:
        DoMouseUp(mbRight, keys | ssRight, at.x, at.y);
        RespondTo(imRightClickUp);
        break;
    case msg::kRButtonDblClk:
        DoDblClick();
        RespondTo(imRightDoubleClick);
        break;
    case msg::kMButtonDown:
        DoMouseDown(mbMiddle, keys | ssMiddle, at.x, at.y);
        break;
    case msg::kMButtonUp:
        DoMouseUp(mbMiddle, keys | ssMiddle, at.x, at.y);
        break;
    case msg::kMButtonDblClk:
        DoDblClick();
        break;
    default:
        break;
    }
}

// The chosen actions of one mouse step: the restore always before the menu.
void TTrayIcon::RespondTo(TTrayIconMessage action) {
    if (RestoreOn == action)
        Restore();
    if (PopupMenuOn == action)
        ShowMenu();
}

void TTrayIcon::DoClick() {
    RespondTo(imClick);
    if (OnClick)
        OnClick(*this);
}

void TTrayIcon::DoDblClick() {
    RespondTo(imDoubleClick);
    if (OnDblClick)
        OnDblClick(*this);
}

void TTrayIcon::DoMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    RespondTo(imMouseDown);
    if (OnMouseDown)
        OnMouseDown(*this, button, shift, x, y);
}

void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    RespondTo(imMouseUp);
    if (OnMouseUp)
        OnMouseUp(*this, button, shift, x, y);
}

TShiftState TTrayIcon::ShiftState(TrayPlatform& platform) {
    TShiftState state = 0;
    if (platform.KeyState(kVkShift) < 0)
        state |= ssShift;
    if (platform.KeyState(kVkControl) < 0)
        state |= ssCtrl;
    if (platform.KeyState(kVkMenu) < 0)
        state |= ssAlt;
    return state;
}

void TTrayIcon::Minimize() {
    platform_.ApplicationMinimize();
    platform_.ShowWindow(platform_.ApplicationWindow(), ShowCommand::Hide);
    if (OnMinimize)
        OnMinimize(*this);
}

void TTrayIcon::Restore() {
    platform_.ApplicationRestore();
    platform_.ShowWindow(platform_.ApplicationWindow(), ShowCommand::Restore);
    platform_.SetForegroundWindow(platform_.ApplicationWindow());
    if (OnRestore)
        OnRestore(*this);
}

bool TTrayIcon::ApplicationHookProc(WindowMessage& message) {
    if (message.Msg == msg::kSysCommand && message.WParam == msg::kScMinimize)
        Minimize();
    if (message.Msg == msg::kSysCommand && message.WParam == msg::kScRestore)
        Restore();
    return false;
}

void TTrayIcon::ShowMenu() {
    if (!PopupMenu)
        return;
    const ScreenPoint at = platform_.CursorPos();
    if (const auto window = platform_.ActiveFormWindow())
        platform_.SetForegroundWindow(*window);
    PopupMenu->Popup(at.x, at.y);
}

void TTrayIcon::EndSession() {
    platform_.NotifyIcon(NotifyAction::Delete, data_);
}
