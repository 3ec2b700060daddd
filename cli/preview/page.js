// The preview page: one control per parameter from /params, the picture rendered by /render as the
// controls move (debounced; a generation number marks the newest request, older answers are dropped),
// and the `orvane render` command line that gives the same picture.
'use strict';
const token = new URLSearchParams(location.search).get('token');
const $ = (id) => document.getElementById(id);
const url = (path, query) => `${path}?token=${encodeURIComponent(token)}&${query}`;
let info, view = 'result', generation = 0, timer = 0, originalFrame = null;
const values = {}, touched = new Set();

const frame = () => info.frames[+$('frame').value];
const sets = () => info.params.filter((p) => touched.has(p.name)).map((p) => `${p.name}=${values[p.name]}`);
const quote = (arg) => (/^[\w.,#=/+:%@-]+$/.test(arg) ? arg : `'${arg.replace(/'/g, `'\\''`)}'`);

function command() {
  const args = [];
  if (info.module) args.push('--module', info.module);
  if (info.framed) args.push('--frames', String(frame()));
  for (const set of sets()) args.push('--set', set);
  return ['orvane render', ...[...args, info.input, info.output].map(quote)].join(' ');
}

function element(tag, props) {
  return Object.assign(document.createElement(tag), props);
}

// The control of one parameter; its text is the value as --set takes it.
function control(p) {
  const row = element('label', { className: 'row' }), head = element('span'), shown = element('output');
  let input, read = () => input.value;
  if (p.type === 'slider') {
    const step = 10 ** -p.precision;
    input = element('input', { type: 'range', min: p.min, max: p.max, step, value: p.value });
    read = () => (+input.value).toFixed(p.precision);
  } else if (p.type === 'popup') {
    input = element('select');
    p.choices.forEach((choice, i) => input.append(element('option', { value: i + 1, textContent: `${i + 1} ${choice}` })));
    input.value = p.value;
  } else if (p.type === 'checkbox') {
    input = element('input', { type: 'checkbox', checked: p.value === 'on' });
    read = () => (input.checked ? 'on' : 'off');
  } else if (p.type === 'color') {
    input = element('input', { type: 'color', value: p.value.toLowerCase() });
    read = () => input.value.toUpperCase();
  } else {
    input = element('input', { type: 'text', value: p.value });  // angles in degrees, points as X,Y
  }
  input.name = p.name;
  values[p.name] = p.value;
  if (p.given) touched.add(p.name);
  shown.value = p.type === 'popup' ? '' : p.value;
  input.addEventListener(input.type === 'text' ? 'change' : 'input', () => {
    values[p.name] = read();
    shown.value = p.type === 'popup' ? '' : values[p.name];
    touched.add(p.name);
    changed();
  });
  head.append(p.name, shown);
  row.append(head, input);
  return row;
}

function changed() {
  $('command').textContent = command();
  clearTimeout(timer);
  timer = setTimeout(refresh, 120);
}

async function fetchImage(query, body) {
  const response = await fetch(url('/render', query), { method: 'POST', body });
  if (response.status === 204) return null;
  if (!response.ok) throw new Error(await response.text());
  return URL.createObjectURL(await response.blob());
}

async function refresh() {
  const mine = ++generation, body = sets().join('\n');
  const query = `frame=${frame()}&view=${view === 'split' ? 'result' : view}&gen=${mine}`;
  window.orvaneRequest = { query, body };
  try {
    if (view === 'split' && originalFrame !== frame()) {
      $('original').src = await fetchImage(`frame=${frame()}&view=original`, '');
      originalFrame = frame();
    }
    const image = await fetchImage(query, body);
    if (!image || mine !== generation) return;  // a newer request is under way
    $('result').src = image;
    await $('result').decode();
    $('status').textContent = '';
    window.orvaneShown = { query, body };
  } catch (error) {
    if (mine === generation) $('status').textContent = error.message;
  }
}

function showSplit() {
  $('original').hidden = view !== 'split';
  $('original').style.clipPath = `inset(0 0 0 ${$('split').value}%)`;
  $('original').style.width = `${$('result').clientWidth}px`;
}

// A click on the picture places the first point parameter (the chooser's centre) there.
$('result').addEventListener('click', (event) => {
  const p = info.params.find((q) => q.type === 'point');
  const image = event.target, scale = image.naturalWidth / image.clientWidth;
  if (!p) return;
  values[p.name] = `${Math.round(event.offsetX * scale)},${Math.round(event.offsetY * scale)}`;
  document.querySelector(`[name="${p.name}"]`).value = values[p.name];
  touched.add(p.name);
  changed();
});

$('copy').addEventListener('click', () => navigator.clipboard.writeText($('command').textContent));
$('write').addEventListener('click', async () => {
  const response = await fetch(url('/write', `frame=${frame()}`), { method: 'POST', body: sets().join('\n') });
  $('status').textContent = await response.text();
});
$('split').addEventListener('input', showSplit);
$('result').addEventListener('load', showSplit);
$('frame').addEventListener('input', () => {
  $('frameNumber').value = frame();
  changed();
});

async function start() {
  info = await (await fetch(url('/params', ''))).json();
  for (const name of ['result', 'original', 'selection', 'split']) {
    const radio = element('input', { type: 'radio', name: 'view', value: name, checked: name === view });
    radio.addEventListener('change', () => {
      view = name;
      showSplit();
      refresh();
    });
    const label = element('label');
    label.append(radio, ` ${name} `);
    $('views').append(label);
  }
  $('frames').hidden = info.frames.length < 2;
  $('frame').max = info.frames.length - 1;
  $('frameNumber').value = frame();
  info.params.forEach((p) => $('params').append(control(p)));
  $('command').textContent = command();
  showSplit();
  refresh();
}
start();
