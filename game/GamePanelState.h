#pragma once

// What the game panel is doing, and every way it goes from one to the next. The review of a
// finished game waits for the rating, which pauses with the windows answering, so a new game,
// 戻る or another mode may come first; the panel asks here instead of keeping flags of its own.
namespace GamePanelState {

enum class State
{
    Waiting,        // no game under way, no review kept
    Playing,        // a game takes the clicks
    ReviewReady,    // the last game's review is kept: shown, or shown once its rating is done
    ReviewSetAside, // another mode took the window: the review comes back only when asked for
};

enum class Event
{
    Started,       // a new game's first board is on show
    Finished,      // the game under way was played out
    Left,          // the game under way was given up
    ReviewDropped, // a new game or 戻る: the review kept is gone
    SetAside,      // another mode takes the window
    Reopened,      // the player asks for the review again
};

constexpr State after(State state, Event event)
{
    switch (event) {
    case Event::Started:
        return State::Playing;
    case Event::Finished:
        return state == State::Playing ? State::ReviewReady : state;
    case Event::Left:
        return state == State::Playing ? State::Waiting : state;
    case Event::ReviewDropped:
        // A game under way is not a review: it is left by its own event.
        return state == State::Playing ? state : State::Waiting;
    case Event::SetAside:
        return state == State::ReviewReady ? State::ReviewSetAside : state;
    case Event::Reopened:
        return state == State::ReviewSetAside ? State::ReviewReady : state;
    }
    return state;
}

} // namespace GamePanelState
