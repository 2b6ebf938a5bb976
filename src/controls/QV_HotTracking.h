#pragma once
// The one way a hot or focused pointer moves, for controls over their
// children, the control manager over the top-level controls and holders over
// their items: the old one leaves before the new one enters, and the new one
// gains the focus before the old one loses it. Each callback receives nil
// when there is nothing on that side and must accept it.

// Makes hit the hot one; false, without a call, when it is already.
template <typename T, typename Leave, typename Enter>
bool MoveHot(T*& hot, T* hit, Leave&& leave, Enter&& enter)
{
    if (hit == hot) return false;
    leave(hot);
    enter(hit);
    hot = hit;
    return true;
}

// Makes hit the focused one; false, without a call, when it is already.
template <typename T, typename Focus, typename UnFocus>
bool MoveFocus(T*& focused, T* hit, Focus&& focus, UnFocus&& unfocus)
{
    if (hit == focused) return false;
    T* old = focused;
    focus(hit);
    unfocus(old);
    focused = hit;
    return true;
}
