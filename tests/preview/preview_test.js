// orvane preview as a user drives it: headless Chromium moves a slider and the chooser popup, the page's
// command line run with orvane render gives the very picture the page shows (and Write writes it), the
// refusals (token, --set value, body size) hold, a sequence and a video offer their frames, and Ctrl-C
// stops the server. Usage: node preview_test.js ORVANE SCRATCH [SCREENSHOT.png]
'use strict';
const { spawn, execFileSync } = require('child_process');
const assert = require('assert');
const fs = require('fs');
const puppeteer = require('puppeteer-core');
const [orvane, scratch, screenshot] = process.argv.slice(2).map((arg) => require('path').resolve(arg));
const data = `${__dirname}/../data`;

// ARGB pixels of a picture, decoded by ffmpeg apart from orvane.
const pixels = (file) => execFileSync('ffmpeg', ['-v', 'error', '-i', file, '-f', 'rawvideo', '-pix_fmt', 'argb', '-']);

async function serve(input) {
  const child = spawn(orvane, ['preview', input], { cwd: scratch, stdio: ['ignore', 'pipe', 'inherit'] });
  const address = await new Promise((resolve, reject) => {
    child.stdout.once('data', (line) => resolve(String(line).trim()));
    child.once('exit', (status) => reject(new Error(`orvane preview ${input} exited with ${status}`)));
  });
  const token = new URL(address).searchParams.get('token');
  const post = (route, query, body) => fetch(`${new URL(address).origin}${route}?token=${token}&${query}`, { method: 'POST', body });
  const params = await (await fetch(address.replace('/?', '/params?'))).json();
  const stopped = new Promise((resolve) => child.on('exit', resolve));
  return { child, address, post, params, stop: () => (child.kill('SIGINT'), stopped) };
}

async function still() {
  fs.copyFileSync(`${data}/coffee.png`, `${scratch}/coffee.png`);
  const server = await serve('coffee.png');
  const origin = new URL(server.address).origin;
  for (const query of ['', '?token=wrong']) assert.strictEqual((await fetch(`${origin}/params${query}`)).status, 403);
  const refused = await server.post('/render', 'frame=0&view=result', 'Brightness=500');
  const expected = execFileSync('bash', ['-c', `"${orvane}" render --set Brightness=500 coffee.png x.png 2>&1 || true`], { cwd: scratch });
  assert.deepStrictEqual([refused.status, await refused.text()], [400, String(expected)]);
  assert.strictEqual((await server.post('/render', 'frame=0&view=result', 'x'.repeat(100000))).status, 413);

  const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 800 });
    await page.goto(server.address);
    const slider = await page.waitForSelector('input[name="Brightness"]');
    const box = await slider.boundingBox();
    await page.mouse.click(box.x + box.width * 0.8, box.y + box.height / 2);
    await page.select('select[name="Choose Pixels by"]', '2');
    await page.waitForFunction(() => window.orvaneShown && window.orvaneShown.body === sets().join('\n'));
    const shown = await page.evaluate(() => window.orvaneShown);
    assert.match(shown.body, /^Brightness=\d+\.\d\d\nChoose Pixels by=2$/);
    await page.click('#write');
    await page.waitForFunction(() => document.querySelector('#status').textContent.startsWith('wrote'));
    fs.renameSync(`${scratch}/coffee.orvane.png`, `${scratch}/written.png`);
    const command = await page.$eval('#command', (e) => e.textContent);
    execFileSync('bash', ['-c', `orvane() { "${orvane}" "$@"; }; ${command}`], { cwd: scratch });
    const image = await server.post('/render', `${shown.query}&png=1`, shown.body);
    fs.writeFileSync(`${scratch}/shown.png`, Buffer.from(await image.arrayBuffer()));
    const rendered = pixels(`${scratch}/coffee.orvane.png`);
    assert.ok(rendered.equals(pixels(`${scratch}/shown.png`)) && rendered.equals(pixels(`${scratch}/written.png`)));
    assert.ok(!rendered.equals(pixels(`${scratch}/coffee.png`)));
    if (screenshot) {
      await page.click('input[value="split"]');
      await page.waitForFunction(() => document.querySelector('#original').src && window.orvaneShown.query.endsWith(`gen=${generation}`));
      await page.screenshot({ path: screenshot });
    }
  } finally {
    await browser.close();
  }
  assert.strictEqual(await server.stop(), 130);
}

// Frames of a sequence and of a video: offered by number, the video's frame as orvane render decodes it.
async function frames() {
  for (const n of [7, 8]) fs.copyFileSync(`${data}/chelsea.png`, `${scratch}/shot.000${n}.png`);
  const sequence = await serve('shot.####.png');
  assert.deepStrictEqual([sequence.params.frames, sequence.params.output], [[7, 8], 'shot.####.orvane.png']);
  await sequence.stop();
  execFileSync('ffmpeg', ['-v', 'error', '-f', 'lavfi', '-i', 'testsrc=size=64x48:rate=10', '-frames:v', '5', '-c:v', 'ffv1', `${scratch}/clip.mkv`]);
  const video = await serve('clip.mkv');
  assert.deepStrictEqual(video.params.frames, [0, 1, 2, 3, 4]);
  const image = await video.post('/render', 'frame=3&view=result&png=1', 'Contrast=40');
  fs.writeFileSync(`${scratch}/frame3.png`, Buffer.from(await image.arrayBuffer()));
  execFileSync(orvane, ['render', '--frames', '3', '--set', 'Contrast=40', 'clip.mkv', 'clip.######.orvane.png'], { cwd: scratch });
  assert.ok(pixels(`${scratch}/frame3.png`).equals(pixels(`${scratch}/clip.000003.orvane.png`)));
  await video.stop();
}

still().then(frames).then(() => console.log('orvane preview: all checks passed'), (error) => {
  console.error(error);
  process.exit(1);
});
