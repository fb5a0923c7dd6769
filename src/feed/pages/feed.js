"use strict";
// The program's live feed as a page sees it: the state on connect, then each update. Clocks run
// here between updates from their value, running flag and the steady time the value was taken.
// The connection comes back by itself when the program restarts.

function feedClockUnits(clock, message) {
  // Ten-thousandths of a second left, as the board counts them.
  let units = clock.tenths * 1000;
  if (clock.running) {
    const elapsedMs = message.state.now - clock.at + (performance.now() - message.receivedAt);
    units -= Math.round(elapsedMs * 10);
  }
  return Math.max(0, units);
}

// Whole seconds as the board shows them: the time plus 0.4999 s, rounded half to even.
function feedWholeSeconds(units) {
  const shifted = units + 4999;
  let whole = Math.floor(shifted / 10000);
  const rest = shifted - whole * 10000;
  if (rest > 5000 || (rest === 5000 && whole % 2 === 1)) {
    whole += 1;
  }
  return whole;
}

function feedMinutesText(total) {
  return Math.floor(total / 60) + ":" + String(total % 60).padStart(2, "0");
}

function feedGameClockText(message) {
  const state = message.state;
  const day = state.timeOfDay;
  if (day.shown) {
    const local = new Date(day.wall + (performance.now() - message.receivedAt) + day.utcOffset * 1000);
    let hour = local.getUTCHours();
    if (day.twelveHour) {
      hour = hour % 12 === 0 ? 12 : hour % 12;
    }
    return feedMinutesText(hour * 60 + local.getUTCMinutes());
  }
  const units = feedClockUnits(state.gameClock, message);
  if (units > 599000) {
    return feedMinutesText(feedWholeSeconds(units));
  }
  const tenths = Math.ceil(units / 1000);
  return Math.floor(tenths / 10) + "." + (tenths % 10);
}

function feedShotClockText(message) {
  const shot = message.state.shotClock;
  return shot.blank ? "" : String(feedWholeSeconds(feedClockUnits(shot, message)));
}

function feedCountText(value) {
  return value < 0 ? "" : String(value);
}

function setText(id, text) {
  const element = document.getElementById(id);
  if (element && element.textContent !== text) {
    element.textContent = text;
  }
}

function showClocks(message) {
  setText("gameClock", feedGameClockText(message));
  setText("shotClock", feedShotClockText(message));
}

// What every page shows the same way, by the ids of its elements: colours (as CSS variables named
// after the board's colour roles), texts, counts, possession arrows, bonus lights and clocks.
function showGame(message) {
  const s = message.state;
  const style = document.documentElement.style;
  for (const [role, color] of Object.entries(s.colors)) {
    style.setProperty("--" + role, color);
  }
  for (const id of ["title", "homeName", "visitorName", "periodName"]) {
    setText(id, s[id]);
  }
  for (const id of ["scoreHome", "scoreVisitor", "period", "foulsHome", "foulsVisitor", "timeoutsHome",
                    "timeoutsVisitor", "playerFoul", "playerFouls"]) {
    setText(id, feedCountText(s[id]));
  }
  document.getElementById("possHome").classList.toggle("on", s.possession === 1);
  document.getElementById("possVisitor").classList.toggle("on", s.possession === 2);
  for (const side of ["Home", "Visitor"]) {
    for (const i of [0, 1]) {
      document.getElementById("bonus" + side + i).classList.toggle("on", s["bonus" + side][i]);
    }
  }
  showClocks(message);
}

// Shows every state received, then `more(message)` for what is the page's own; runs the clocks on
// every frame while connected.
function startFeed(more) {
  const url = (location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/feed" + location.search;
  let message = null;
  let retryMs = 500;

  function connect() {
    const socket = new WebSocket(url);
    socket.onmessage = (event) => {
      retryMs = 500;
      const data = JSON.parse(event.data);
      message = { state: data.state, receivedAt: performance.now() };
      document.body.classList.remove("offline");
      showGame(message);
      if (more) {
        more(message);
      }
    };
    socket.onclose = () => {
      message = null;
      document.body.classList.add("offline");
      setTimeout(connect, retryMs);
      retryMs = Math.min(retryMs * 2, 5000);
    };
  }

  function frame() {
    if (message) {
      showClocks(message);
    }
    requestAnimationFrame(frame);
  }

  document.body.classList.add("offline");
  connect();
  requestAnimationFrame(frame);
}
