// The web page in real browsers (browsers.mjs: Chromium on llvmpipe and on
// SwiftShader, Firefox ESR on Xvfb), driven by puppeteer-core. It saves the
// test page's frames for tests/web_frames_test.cpp, which compares them with
// the Linux program's, and checks here the keys, the buttons, real key presses,
// a failed image, and the users' page from file:// and from a web server.
// Every check reports, piglit-style, and the run fails if any did.
//
// Usage: node page_test.mjs BUILD_DIR FRAMES_DIR
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {browsers, launch, open, state} from './browsers.mjs';

const [buildDir, framesDir] = process.argv.slice(2);
const testPage = pathToFileURL(path.join(buildDir, 'velmorath_test_page.html')).href;
const usersPage = path.join(buildDir, 'velmorath.html');

let failures = 0;
function check(what, ok, observed) {
  console.log(`${ok ? 'ok  ' : 'FAIL'}  ${what}${ok ? '' : `: observed ${JSON.stringify(observed)}`}`);
  if (!ok) ++failures;
}

const pause = ms => new Promise(resolve => setTimeout(resolve, ms));

// How many pixels of the canvas, as the browser shows it, are not black.
async function litPixels(page) {
  const png = await (await page.$('#canvas')).screenshot({type: 'png'});
  const rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], {input: png});
  let lit = 0;
  for (let i = 0; i < rgb.length; i += 3) lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 30;
  return lit;
}

// The test page's frames in the three lighting states, which F7 reaches in
// turn, from every camera, as RGBA rows from the bottom up.
async function saveFrames(page, dir) {
  fs.mkdirSync(dir, {recursive: true});
  const lighting = ['start-up', 'specular', 'unlit'];
  for (let l = 0; l < 3; ++l) {
    if (l > 0) await page.keyboard.press('F7');
    for (let view = 1; view <= 5; ++view) {
      for (const frame of [1, 5000]) {
        const base64 = await page.evaluate((frame, view) => {
          const at = Module._velmorathTestFrame(frame, view);
          const pixels = Module.HEAPU8.subarray(at, at + 640 * 480 * 4);
          let text = '';
          for (let i = 0; i < pixels.length; i += 8192)
            text += String.fromCharCode(...pixels.subarray(i, i + 8192));
          return btoa(text);
        }, frame, view);
        fs.writeFileSync(path.join(dir, `${lighting[l]}-view${view}-frame${frame}.rgba`),
                         Buffer.from(base64, 'base64'));
      }
    }
  }
}

// Whether the Earth's orbital step is about `earth` and the Moon's three times
// it, as the program rounds it to a 32-bit float.
const steps = (s, earth) =>
  Math.abs(s.earthStep - earth) < 1e-6 && Math.fround(s.moonStep) === Math.fround(s.earthStep * 3);

// What a key, or its button, must do, read from the program's state.
const presses = [
  ['F3', s => s.view === 2, 'camera 2'],
  ['F4', s => s.view === 3, 'camera 3'],
  ['F5', s => s.view === 4, 'camera 4'],
  ['F6', s => s.view === 5, 'camera 5'],
  ['F2', s => s.view === 1, 'camera 1'],
  ['F7', s => s.specularMode && s.lighting, 'the specular mode'],
  ['F7', s => !s.specularMode && !s.lighting, 'unlit drawing'],
  ['F7', s => s.specularMode && s.lighting, 'the specular mode again'],
  ['+', s => steps(s, 0.06), 'faster'],
  ['-', s => steps(s, 0.05), 'slower'],
];

// Presses every key, or clicks every button, then F1 into and out of full
// screen, and Escape, which ends the program.
async function keys(page, how) {
  const press = key => how === 'key' ? page.keyboard.press(key)
                                     : page.click(`#keys button[data-key="${key}"]`);
  for (const [key, ok, does] of presses) {
    await press(key);
    const s = await state(page);
    check(`${how} ${key} selects ${does}`, ok(s), s);
  }
  // Into full screen and out: with F1 each way from the keyboard; from a
  // button, which full screen hides, out again as the browser's Escape does.
  const screen = await page.evaluate(() => [screen.width, screen.height]);
  const fullScreen = async (into, leave) => {
    await leave();
    await page.waitForFunction(into => !!document.fullscreenElement === into, {timeout: 5000},
                               into).catch(() => {});
    await pause(300);
    return (await state(page)).viewport;
  };
  const exit = () => page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
  let viewport = await fullScreen(true, () => press('F1'));
  check(`${how} F1 fills the screen, and the picture with it`,
        viewport[0] === screen[0] && viewport[1] === screen[1], [viewport, screen]);
  viewport = await fullScreen(false, how === 'key' ? () => press('F1') : exit);
  check(`${how} F1 ${how === 'key' ? 'again' : 'and the browser\'s Escape'} bring the ` +
        '640 x 480 picture back', viewport[0] === 640 && viewport[1] === 480, viewport);
  if (how === 'key') {
    await fullScreen(true, () => press('F1'));
    await page.keyboard.press('Escape');
    check('Escape in full screen is the browser\'s, not the end of the program',
          (await state(page)).running, await state(page));
    await fullScreen(false, exit);
  }

  await press('Escape');
  const ended = await state(page);
  await pause(300);
  const after = await state(page);
  const shown = await page.evaluate(() => ({
    status: document.getElementById('status').textContent,
    buttons: [...document.querySelectorAll('#keys button')].every(b => b.disabled),
    lost: document.querySelector('#canvas').getContext('webgl2').isContextLost(),
  }));
  check(`${how} Escape ends the program and stops the animation`,
        !ended.running && after.earthSpin === ended.earthSpin, [ended, after]);
  check(`${how} Escape releases the OpenGL context, turns the buttons off and says so`,
        shown.lost && shown.buttons &&
            shown.status === 'Velmorath has ended. Reload the page to start it again.', shown);
  await page.keyboard.press('+');
  check(`${how} keys do nothing once it has ended`,
        (await state(page)).earthStep === ended.earthStep, await state(page));
}

// Key presses from the X server reach the browser's own shortcuts, which
// injected ones bypass: F5 must not reload, F6 not move the focus, F7 not
// offer caret browsing, F1 not open help. The page is marked, to see a reload.
async function realKeys(name) {
  const browser = await launch(name, {headless: false});
  try {
    const {page} = await open(browser, testPage);
    await page.evaluate(() => { window.notReloaded = true; });
    const xWindow = execFileSync('xdotool', ['search', '--sync', '--onlyvisible', '--name',
                                            'Velmorath!']).toString().split('\n')[0];
    const tabs = (await browser.pages()).length;
    const press = key => execFileSync('xdotool', ['windowfocus', '--sync', xWindow, 'key', key]);
    for (const [key, ok, does] of [...presses.slice(2, 4), presses[0], presses[5], presses[4]]) {
      press(key);
      await pause(300);
      const s = await state(page).catch(error => ({error: error.message}));
      check(`${name}: a real ${key} selects ${does}, and only that`,
            ok(s) && await page.evaluate(() => window.notReloaded).catch(() => false), s);
    }
    press('F1');
    await page.waitForFunction(() => document.fullscreenElement, {timeout: 5000}).catch(() => {});
    const fullScreen = await page.evaluate(() => !!document.fullscreenElement);
    check(`${name}: a real F1 goes full screen and opens no help`,
          fullScreen && (await browser.pages()).length === tabs, fullScreen);
    press('F1');
  } finally {
    await browser.close();
  }
}

async function testBrowser(name) {
  console.log(`== ${name}`);
  const browser = await launch(name);
  try {
    let {page, messages} = await open(browser, testPage);
    await saveFrames(page, path.join(framesDir, name));
    console.log(`saved the test page's frames in ${path.join(framesDir, name)}`);

    // One animation step per displayed frame: the spin grows by one each time.
    const [frames, steps] = await page.evaluate(() => new Promise(resolve => {
      const spin = () => JSON.parse(Module.ccall('velmorathTestState', 'string')).earthSpin;
      const first = spin();
      let frames = 0;
      const tick = () => ++frames < 60 ? requestAnimationFrame(tick) : resolve([frames, spin() - first]);
      requestAnimationFrame(tick);
    }));
    check('one animation step per displayed frame', Math.abs(steps - frames) <= 1, {frames, steps});
    await keys(page, 'key');
    await page.close();

    ({page, messages} = await open(browser, testPage));
    await keys(page, 'button');
    await page.close();

    // Sharp on a high-density screen: 640 x 480 CSS pixels, twice as many device pixels.
    ({page} = await open(browser, testPage, 2));
    const size = [await page.$eval('#canvas', c => [c.clientWidth, c.clientHeight]),
                  (await state(page)).viewport];
    check('at 2 device pixels to the CSS pixel, the picture is drawn with 1280 x 960',
          JSON.stringify(size) === '[[640,480],[1280,960]]', size);
    await page.close();

    ({page, messages} = await open(browser, `${testPage}#without=img/moon.jpg`));
    const line = 'velmorath: cannot load texture img/moon.jpg: No such file or directory';
    const failed = await page.$eval('#status', status => status.textContent);
    const s = await state(page);
    check('a missing image shows its line on the page and on the console, and draws nothing',
          failed === line && messages.includes(line) && !s.running && s.earthSpin === 0,
          {failed, messages, s});
    await page.close();

    // The users' page, from file:// and from a web server.
    const server = http.createServer((request, response) => {
      response.setHeader('Content-Type', 'text/html');
      response.end(fs.readFileSync(usersPage));
    });
    await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
    for (const url of [pathToFileURL(usersPage).href,
                       `http://127.0.0.1:${server.address().port}/velmorath.html`]) {
      ({page, messages} = await open(browser, url));
      await pause(500);
      const lit = await litPixels(page);
      const [title, cursor] = [await page.title(), await page.$eval('#canvas', c => c.style.cursor)];
      check(`the page from ${url.split(':')[0]}:// draws the scene, the cursor hidden over it`,
            lit > 500 && title === 'Velmorath!' && cursor === 'none' && !messages.length,
            {lit, title, cursor, messages});
      await page.close();
    }
    server.close();
  } finally {
    await browser.close();
  }
}

for (const name of Object.keys(browsers)) await testBrowser(name);
for (const name of ['chromium', 'firefox']) await realKeys(name);
console.log(failures ? `${failures} checks failed` : 'all checks passed');
process.exit(failures ? 1 : 0);
