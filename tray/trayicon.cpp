#include "tray/trayicon.h"

#include "tray/ansitext.h"

using namespace lumivox;

namespace {
constexpr std::size_t kMaxHintBytes = 64; // the hint must stay below this
} // namespace

TTrayIcon::TTrayIcon(TrayPlatform& platform) : platform_(platform) {
    timer_ = platform_.CreateTimer();
    iconIndex_ = 0;
    currentIcon_ = platform_.ProgramIcon();
    RestoreOn = imDoubleClick;
    OnAnimate = [this](TTrayIcon& sender) { DoOnAnimate(sender); };
    PopupMenuOn = imNone;
    visible_ = false;
    hide_ = true;

    timer_->SetEnabled(false);
    timer_->SetOnTimer([this] { DoOnAnimate(*this); });
    timer_->SetInterval(1000);
    platform_.Listen(this);
}

TTrayIcon::~TTrayIcon() {
    platform_.HideIcon();
    platform_.Listen(nullptr);
    timer_->SetEnabled(false);
}

void TTrayIcon::Loaded() {
    loading_ = false;
    if (!Icons) {
        animate_ = false;
        currentIcon_ = platform_.ProgramIcon();
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
        if (!AddIcon())
            throw EOutOfResources(kCannotCreateTrayIcon);
    } else {
        if (!platform_.HideIcon())
            throw EOutOfResources(kCannotRemoveTrayIcon);
        hide_ = false;
        followsWindow_ = false;
        inTray_ = false;
    }
}

bool TTrayIcon::AddIcon() {
    inTray_ = platform_.ShowIcon(currentIcon_, hint_);
    if (inTray_) {
        hide_ = true;
        followsWindow_ = true;
    }
    return inTray_;
}

void TTrayIcon::SetHint(const std::string& value) {
    if (value == hint_ || Cp936Length(value) >= kMaxHintBytes)
        return;
    hint_ = value;
    Update();
}

void TTrayIcon::Update() {
    if (visible_)
        platform_.ChangeIcon(currentIcon_, hint_);
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
    currentIcon_ = platform_.ProgramIcon();
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

void TTrayIcon::IconMouse(const TrayMouse& mouse) {
    // A press or release names its button in the shift state as well.
    static constexpr TShiftState kButtonHeld[] = {ssLeft, ssRight, ssMiddle};
    // What a release or double-click of each button chooses, besides its steps.
    static constexpr TTrayIconMessage kUp[] = {imLeftClickUp, imRightClickUp, imNone};
    static constexpr TTrayIconMessage kDouble[] = {imLeftDoubleClick, imRightDoubleClick, imNone};
    const TShiftState shift = mouse.keys | kButtonHeld[mouse.button];
    const auto [x, y] = mouse.at;
    switch (mouse.action) {
    case TrayMouse::Move:
        if (OnClick) // the click handler, not the move handler, lets moves through
            DoMouseMove(mouse.keys, x, y);
        break;
    case TrayMouse::Press:
        DoMouseDown(mouse.button, shift, x, y);
        break;
    case TrayMouse::Release:
        if (mouse.button == mbLeft && OnClick)
            DoClick();
        DoMouseUp(mouse.button, shift, x, y);
        RespondTo(kUp[mouse.button]);
        break;
    case TrayMouse::DoubleClick:
        DoDblClick();
        RespondTo(kDouble[mouse.button]);
        break;
    }
}

// The chosen actions of one mouse step: the restore always before the menu.
void TTrayIcon::RespondTo(TTrayIconMessage action) {
    if (action == imNone)
        return;
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

void TTrayIcon::Minimize() {
    platform_.MinimizeWindow();
    // Off the taskbar only while the icon is there to come back through.
    if (inTray_) {
        platform_.HideWindow();
        windowHidden_ = true;
    }
    if (OnMinimize)
        OnMinimize(*this);
}

void TTrayIcon::Restore() {
    platform_.RestoreWindow();
    windowHidden_ = false;
    if (OnRestore)
        OnRestore(*this);
}

void TTrayIcon::ShowMenu() {
    if (!PopupMenu)
        return;
    const ScreenPoint at = platform_.CursorPos();
    platform_.ActivateForMenu();
    PopupMenu->Popup(at.x, at.y);
}

void TTrayIcon::WindowMinimized() {
    if (followsWindow_)
        Minimize();
}

void TTrayIcon::WindowRestored() {
    if (followsWindow_)
        Restore();
}

void TTrayIcon::TrayAppeared() {
    // A window hidden into an icon that cannot come back must not stay lost.
    if (visible_ && !AddIcon() && windowHidden_)
        Restore();
}

void TTrayIcon::TrayGone() {
    inTray_ = false;
    if (windowHidden_)
        Restore();
}

void TTrayIcon::EndSession() {
    platform_.HideIcon();
    inTray_ = false;
}

std::string TrayHint(const std::string& remaining) {
    return remaining.empty() ? kTrayHint : kTrayHint + (" " + remaining);
}

void LoadMainWindowSettings(TTrayIcon& icon) {
    icon.BeginLoad();
    // The hint first, so the desktop gets the icon whole in one go: Wine's tray can
    // lose the icon's input when it is changed while still docking.
    icon.SetHint(kTrayHint);
    try {
        icon.SetVisible(true);
    } catch (const EOutOfResources&) {
        // Shown when a notification area appears.
    }
    icon.SetHide(true);
    icon.RestoreOn = imLeftClickUp;
    icon.PopupMenuOn = imNone;
    icon.Loaded();
}
