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
  const mine = [];
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
      mine.push({ table: row.table, player: you === row.player1 ? '1' : '2' });
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
  document.getElementById('report-section').hidden = !state.reports;
  // The one table found by name fills the form, where nothing is typed there yet.
  const tableBox = document.getElementById('report-table');
  if (mine.length === 1 && tableBox.value.trim() === '') {
    tableBox.value = String(mine[0].table);
    fillReportForm();
    document.getElementById('report-player').value = mine[0].player;
  } else {
    fillReportForm();
  }

  const foundLine = document.getElementById('found');
  foundLine.replaceChildren();
  if (wanted.length > 0)
    foundLine.appendChild(text('strong', found.length ? found.join('; ') : 'No one of that name.'));
}

// ---- Reporting a result from the table -------------------------------------------------

// Each result as it reads for the table's first player (the value sent), and in words.
const RESULTS = [
  ['Full Win', (p1, p2) => `${p1}: Full Win`],
  ['Modified Win', (p1, p2) => `${p1}: Modified Win`],
  ['True Draw', () => 'True Draw'],
  ['Modified Loss', (p1, p2) => `${p2}: Modified Win`],
  ['Full Loss', (p1, p2) => `${p2}: Full Win`],
];

function pairingOfTable() {
  const table = Number(document.getElementById('report-table').value.trim());
  if (!state || !Number.isInteger(table))
    return null;
  return state.pairings.find((row) => row.table === table && !row.recorded) || null;
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

function fillReportForm() {
  const row = pairingOfTable();
  const p1 = row ? row.player1 : 'Player 1';
  const p2 = row ? row.player2 : 'Player 2';
  setOptions(document.getElementById('report-player'), [['1', p1], ['2', p2]]);
  setOptions(document.getElementById('report-result'),
             [['', 'Choose the result']].concat(RESULTS.map(([value, words]) => [value, words(p1, p2)])));
  document.getElementById('report-power1-label').textContent = `Power of ${p1}`;
  document.getElementById('report-power2-label').textContent = `Power of ${p2}`;
}

async function sendReport(drop) {
  const answer = document.getElementById('report-answer');
  const fields = new URLSearchParams();
  fields.set('table', document.getElementById('report-table').value.trim());
  fields.set('code', document.getElementById('report-code').value.trim());
  fields.set('player', document.getElementById('report-player').value);
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
    const response = await fetch('/report', { method: 'POST', body: fields });
    const reply = await response.json();
    answer.className = reply.ok ? 'answer' : 'answer refused';
    answer.textContent = reply.message;
  } catch (error) {
    answer.className = 'answer refused';
    answer.textContent = 'The report did not reach Zuvi: please try again, or report at the desk.';
  }
}

document.getElementById('report-table').addEventListener('input', fillReportForm);
document.getElementById('report').addEventListener('submit', (event) => {
  event.preventDefault();
  sendReport(false);
});
document.getElementById('report-drop').addEventListener('click', () => sendReport(true));

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
