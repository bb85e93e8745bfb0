// The players' page: asks Zuvi for the tournament every few seconds (an unchanged
// tournament costs a 304) and shows it. Every name is set as text, never as markup.
'use strict';

const POLL_MS = 3000;
let etag = null;
let state = null;
let lastHeard = null;

function text(tag, value, className) {
  const element = document.createElement(tag);
  element.textContent = value;
  if (className)
    element.className = className;
  return element;
}

function playerCell(name, house, score) {
  const cell = document.createElement('td');
  cell.appendChild(document.createTextNode(name));
  if (house || score)
    cell.appendChild(text('span', [house, score].filter(Boolean).join(' · '), 'house'));
  return cell;
}

function matches(name, wanted) {
  return wanted.length > 0 && name.toLocaleLowerCase().includes(wanted);
}

function render() {
  if (!state)
    return;
  const wanted = document.getElementById('find').value.trim().toLocaleLowerCase();
  const title = state.roundOpen ? `Round ${state.round}` + (state.rounds ? ` of ${state.rounds}` : '')
              : state.final ? 'Final standings'
              : state.started ? `Round ${state.round} has ended` : 'The tournament has not started';
  document.getElementById('round').textContent = title;
  document.getElementById('clock').textContent = state.clock || '';

  const pairingsBody = document.querySelector('#pairings tbody');
  pairingsBody.replaceChildren();
  const found = [];
  for (const row of state.pairings) {
    const tr = document.createElement('tr');
    if (row.recorded)
      tr.className = 'recorded';
    tr.appendChild(text('td', String(row.table), 'table-no'));
    tr.appendChild(playerCell(row.player1, row.house1, row.score1));
    tr.appendChild(playerCell(row.player2, row.house2, row.score2));
    if (matches(row.player1, wanted) || matches(row.player2, wanted)) {
      tr.classList.add('mine');
      const you = matches(row.player1, wanted) ? row.player1 : row.player2;
      const other = you === row.player1 ? row.player2 : row.player1;
      found.push(`${you}: table ${row.table} against ${other}`);
    }
    pairingsBody.appendChild(tr);
  }
  document.getElementById('pairings-section').hidden = state.pairings.length === 0;

  const standingsBody = document.querySelector('#standings tbody');
  standingsBody.replaceChildren();
  for (const row of state.standings) {
    const tr = document.createElement('tr');
    for (const value of [String(row.rank), row.name, row.house, row.score, row.power])
      tr.appendChild(text('td', value));
    if (matches(row.name, wanted)) {
      tr.classList.add('mine');
      found.push(`${row.name}: rank ${row.rank}, score ${row.score}`);
    }
    standingsBody.appendChild(tr);
  }
  document.getElementById('standings-section').hidden = state.standings.length === 0;

  const foundLine = document.getElementById('found');
  foundLine.replaceChildren();
  if (wanted.length > 0)
    foundLine.appendChild(text('strong', found.length ? found.join('; ') : 'No one of that name.'));
}

function showHeard(ok) {
  const heard = document.getElementById('heard');
  const time = lastHeard ? lastHeard.toLocaleTimeString() : 'never';
  if (ok) {
    heard.className = 'heard';
    heard.textContent = `Up to date: heard from Zuvi at ${time}.`;
  } else {
    heard.className = 'heard lost';
    heard.textContent = `No connection to Zuvi since ${time}: what is shown may be out of date.`;
  }
}

async function poll() {
  try {
    const headers = etag ? { 'If-None-Match': etag } : {};
    const response = await fetch('/state.json', { headers, cache: 'no-cache' });
    if (response.status === 200) {
      etag = response.headers.get('ETag');
      state = await response.json();
      render();
    } else if (response.status !== 304) {
      throw new Error(`status ${response.status}`);
    }
    lastHeard = new Date();
    showHeard(true);
  } catch (error) {
    showHeard(false);
  }
  setTimeout(poll, POLL_MS);
}

// A link may carry the name to find: http://…/#find=Lovelace
if (location.hash.startsWith('#find='))
  document.getElementById('find').value = decodeURIComponent(location.hash.slice(6));
document.getElementById('find').addEventListener('input', render);
poll();
