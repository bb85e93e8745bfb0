// The players' page: asks Zuvi for the tournament every few seconds (an unchanged
// tournament costs a 304) and shows it. Every name is set as text, never as markup.
// Opened through a player's private link (/p/<code>), it asks Zuvi once whose code it is,
// shows that player's game first and reports for that player only, with the code.
'use strict';

const POLL_MS = 3000;
let etag = null;
let state = null;
let lastHeard = null;

// The personal code of a private link, and the player it belongs to once Zuvi has said.
const linkMatch = location.pathname.match(/^\/p\/([A-Za-z0-9-]{1,64})$/);
const CODE = linkMatch ? linkMatch[1] : null;
let me = null;
let meProblem = null;

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
    if (me && (row.player1 === me || row.player2 === me))
      tr.classList.add('mine');
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
    if (me && row.name === me)
      tr.classList.add('mine');
    if (matches(row.name, wanted)) {
      tr.classList.add('mine');
      found.push(`${row.name}: rank ${row.rank}, score ${row.score}`);
    }
    standingsBody.appendChild(tr);
  }
  document.getElementById('standings-section').hidden = state.standings.length === 0;
  renderMe();

  const foundLine = document.getElementById('found');
  foundLine.replaceChildren();
  if (wanted.length > 0)
    foundLine.appendChild(text('strong', found.length ? found.join('; ') : 'No one of that name.'));
}

// ---- The player of a private link, and their report ------------------------------------

// Each result as it reads for the table's first player (the value sent), and in words.
const RESULTS = [
  ['Full Win', (p1, p2) => `${p1}: Full Win`],
  ['Modified Win', (p1, p2) => `${p1}: Modified Win`],
  ['True Draw', () => 'True Draw'],
  ['Modified Loss', (p1, p2) => `${p2}: Modified Win`],
  ['Full Loss', (p1, p2) => `${p2}: Full Win`],
];

// The row of the open round where the link's player plays, if any.
function myRow() {
  if (!state || !me)
    return null;
  return state.pairings.find((row) => row.player1 === me || row.player2 === me) || null;
}

function setOptions(select, options) {
  // Unchanged options stay as they are, so that a list being chosen from stays open.
  const same = select.options.length === options.length &&
               options.every(([value, label], i) => select.options[i].value === value &&
                                                    select.options[i].textContent === label);
  if (same)
    return;
  const kept = select.value;
  select.replaceChildren();
  for (const [value, label] of options) {
    const option = text('option', label);
    option.value = value;
    select.appendChild(option);
  }
  if (options.some(([value]) => value === kept))
    select.value = kept;
}

function renderMe() {
  const row = myRow();
  const line = document.getElementById('me');
  const section = document.getElementById('me-section');
  section.hidden = !CODE;
  line.className = meProblem ? 'me refused' : 'me';
  if (meProblem) {
    line.textContent = meProblem;
  } else if (!me) {
    line.textContent = 'Asking Zuvi whose card this is…';
  } else if (!row) {
    line.textContent = state.roundOpen ? `${me}: no game for you this round.` : me;
  } else if (row.player2 === 'Bye') {
    line.textContent = `${me}: table ${row.table}, a bye this round.`;
  } else {
    const other = row.player1 === me ? row.player2 : row.player1;
    line.textContent = `${me}: table ${row.table} against ${other}` +
                       (row.recorded ? ' (the result is recorded).' : '.');
  }

  // Reports are made through a private link, for its player's own game only.
  document.getElementById('report-section').hidden = !state.reports || !!meProblem;
  document.getElementById('code-form').hidden = !!CODE;
  const form = document.getElementById('report');
  form.hidden = !CODE || !row;
  if (!row)
    return;
  const p1 = row.player1;
  const p2 = row.player2;
  // A bye or a recorded game has no result to report; the player may still drop.
  document.getElementById('report-result-fields').hidden = row.recorded || p2 === 'Bye';
  document.getElementById('report-send').hidden = row.recorded || p2 === 'Bye';
  setOptions(document.getElementById('report-result'),
             [['', 'Choose the result']].concat(RESULTS.map(([value, words]) => [value, words(p1, p2)])));
  document.getElementById('report-power1-label').textContent = `Power of ${p1}`;
  document.getElementById('report-power2-label').textContent = `Power of ${p2}`;
}

async function post(path, fields) {
  const response = await fetch(path, { method: 'POST', body: fields });
  return response.json();
}

async function identify() {
  const fields = new URLSearchParams();
  fields.set('code', CODE);
  try {
    const reply = await post('/me', fields);
    if (reply.ok)
      me = reply.name;
    else
      meProblem = reply.message;
  } catch (error) {
    meProblem = 'Zuvi could not be asked whose card this is: please reload the page.';
  }
  if (state)
    render();
}

async function sendReport(drop) {
  const answer = document.getElementById('report-answer');
  const row = myRow();
  const fields = new URLSearchParams();
  fields.set('code', CODE);
  if (row)
    fields.set('table', String(row.table));
  if (drop) {
    // The organiser confirms a drop at the desk: nothing is final from here.
    fields.set('drop', '1');
  } else {
    fields.set('result', document.getElementById('report-result').value);
    fields.set('power1', document.getElementById('report-power1').value.trim());
    fields.set('power2', document.getElementById('report-power2').value.trim());
  }
  answer.className = 'answer';
  answer.textContent = 'Sending…';
  try {
    const reply = await post('/report', fields);
    answer.className = reply.ok ? 'answer' : 'answer refused';
    answer.textContent = reply.message;
  } catch (error) {
    answer.className = 'answer refused';
    answer.textContent = 'The report did not reach Zuvi: please try again, or report at the desk.';
  }
}

document.getElementById('report').addEventListener('submit', (event) => {
  event.preventDefault();
  sendReport(false);
});
document.getElementById('report-drop').addEventListener('click', () => sendReport(true));
// A code typed from the card opens that player's private page.
document.getElementById('code-form').addEventListener('submit', (event) => {
  event.preventDefault();
  const typed = document.getElementById('card-code').value.replace(/[\s-]/g, '').toUpperCase();
  if (/^[A-Z0-9]{1,64}$/.test(typed))
    location.assign(`/p/${typed}`);
});

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
if (CODE)
  identify();
poll();
