// The web page in real browsers (browsers.mjs: Chromium on llvmpipe and on
// SwiftShader, Firefox ESR on Xvfb), driven by puppeteer-core. It saves the
// test page's frames for tests/web_frames_test.cpp, which compares them with
// the Linux program's, and checks here the keys, the buttons, real key presses,
// a failed image, the users' pages (the one file from file:// and a web
// server, the site from a web server), the layout on screens from a small
// phone to a desktop, touch, and Lighthouse's audits. Every check reports,
// piglit-style, and the run fails if any did.
//
// Usage: node page_test.mjs BUILD_DIR FRAMES_DIR
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {audit, browsers, desktop, launch, open, serve, state} from './browsers.mjs';

const [buildDir, framesDir] = process.argv.slice(2);
const testPage = pathToFileURL(path.join(buildDir, 'velmorath_test_page.html')).href;

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
  // The browser's whole window, which full screen gives the picture.
  const windowSize = () => page.evaluate(() => [innerWidth, innerHeight]);
  const fullScreen = async (into, leave) => {
    await leave();
    await page.waitForFunction(into => !!document.fullscreenElement === into, {timeout: 5000},
                               into).catch(() => {});
    await pause(300);
    return (await state(page)).viewport;
  };
  const exit = () => page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
  let viewport = await fullScreen(true, () => press('F1'));
  const filled = await windowSize();
  check(`${how} F1 fills the screen, and the picture with it`,
        viewport[0] === filled[0] && viewport[1] === filled[1], [viewport, filled]);
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

// Screens from a small phone to a desktop, held both ways: width and height in
// CSS pixels, pixel ratio, touch, and the picture's size there.
const screens = [
  ['a small phone', 320, 480, 2, true, [320, 240]],
  ['a small phone held sideways', 568, 320, 2, true, [405.33, 304]],
  ['a phone', 390, 844, 3, true, [390, 292.5]],
  ['a phone held sideways', 844, 390, 3, true, [498.67, 374]],
  ['a tablet', 768, 1024, 2, true, [640, 480]],
  ['a tablet held sideways', 1024, 768, 1.5, true, [640, 480]],
  ['a desktop', 1920, 1080, 1, false, [640, 480]],
  ['a 4K desktop', 3840, 2160, 1, false, [640, 480]],
];
const viewport = ([, width, height, ratio, touch]) =>
  ({width, height, deviceScaleFactor: ratio, isMobile: touch, hasTouch: touch, isLandscape: width > height});

// Where the page puts things: the picture's size in CSS pixels, whether it and
// every button are on the screen with nothing to scroll and nothing zoomed,
// whether the buttons stand beside the picture, and the smallest button side.
const layout = page => page.evaluate(() => {
  const picture = document.querySelector('#canvas').getBoundingClientRect();
  const buttons = [...document.querySelectorAll('#keys button')].map(b => b.getBoundingClientRect());
  const root = document.documentElement;
  return {picture: [picture.width, picture.height], ratio: devicePixelRatio,
          fits: [picture, ...buttons].every(b => b.left >= 0 && b.top >= 0 && b.right <= innerWidth &&
                                                 b.bottom <= innerHeight) &&
                root.scrollWidth <= innerWidth && root.scrollHeight <= innerHeight &&
                visualViewport.scale === 1,
          beside: buttons.every(b => b.left >= picture.right),
          smallest: Math.min(...buttons.map(b => Math.min(b.width, b.height)))};
});

// Whether the program draws at the picture's size times the pixel ratio.
const sharp = async (page, l) => JSON.stringify((await state(page)).viewport) ===
                                 JSON.stringify(l.picture.map(side => Math.round(side * l.ratio)));

// The Sun of the first frame from camera 5, drawn at the program's size of the
// moment: its radius across and up from the middle, and that size's height.
const sun = page => page.evaluate(() => {
  const [width, height] = JSON.parse(Module.ccall('velmorathTestState', 'string')).viewport;
  const at = Module._velmorathTestFrame(1, 5);
  const lit = (x, y) => Math.max(...Module.HEAPU8.subarray(at + 4 * (y * width + x)).slice(0, 3)) > 20;
  let across = 0, up = 0;
  while (lit((width >> 1) + across + 1, height >> 1)) ++across;
  while (lit(width >> 1, (height >> 1) + up + 1)) ++up;
  return {across, up, height};
});

// In Chromium's device emulation: the layout on each screen; a phone turned
// sideways and a desktop page moved to a denser screen, redrawn at once at
// their new size with the Sun round; touch; and Lighthouse's audits.
async function screensAndTouch(browser, server) {
  for (const screen of screens) {
    const {page} = await open(browser, testPage, viewport(screen));
    const l = await layout(page);
    const near = l.picture.every((side, i) => Math.abs(side - screen[5][i]) < 0.1);
    check(`${screen[0]}: a ${screen[5].join(' x ')} picture in 4:3, sharp; everything on the ` +
          `screen, unscrolled; buttons ${/phone held/.test(screen[0]) ? 'beside it' : 'under it'}` +
          `${screen[4] ? ', 44 pixels or more' : ''}`,
          near && l.fits && await sharp(page, l) && l.beside === /phone held/.test(screen[0]) &&
              (!screen[4] || l.smallest >= 44), l);
    await page.close();
  }
  const denser = [...screens[6].slice(0, 3), 2, false];
  for (const [what, from, to] of [['a phone turned sideways', screens[2], screens[3]],
                                  ['a desktop page moved to a screen of pixel ratio 2', screens[6], denser]]) {
    const {page} = await open(browser, testPage, viewport(from));
    await page.setViewport(viewport(to));
    await pause(500);
    const [l, s] = [await layout(page), await sun(page)];
    check(`${what}: drawn sharp at its new size, the Sun round`,
          await sharp(page, l) && Math.abs(s.across - s.up) <= 1 &&
              Math.abs(s.up - s.height * 58 / 480) <= 2, {l, s});
    await page.close();
  }

  // Touch, on a phone. Chromium never zooms a page that fits the screen on a
  // double tap, as some other browsers do; the page's touch-action is what
  // stops them, so it is read as well.
  const {page} = await open(browser, testPage, viewport(screens[2]));
  const plus = await page.$('#keys button[data-key="+"]');
  await plus.tap();
  await plus.tap();
  await pause(500);
  const tapped = await page.evaluate(() => ({scale: visualViewport.scale,
    touchAction: [...document.querySelectorAll('#keys button')].map(b => getComputedStyle(b).touchAction)}));
  check('a phone: two quick taps on + press it twice, and zoom nothing',
        steps(await state(page), 0.07) && tapped.scale === 1 &&
            tapped.touchAction.every(action => action === 'manipulation'),
        {state: await state(page), tapped});
  const picture = await page.$('#canvas');
  await picture.tap();
  await picture.tap();
  const box = await picture.boundingBox();
  await page.touchscreen.touchStart(box.x + box.width / 3, box.y + box.height / 3);
  await pause(1000);
  await page.touchscreen.touchEnd();
  const touched = await page.$eval('#canvas', canvas => ({
    scale: visualViewport.scale, selected: getSelection().toString(),
    touchAction: getComputedStyle(canvas).touchAction,
    menu: canvas.dispatchEvent(new MouseEvent('contextmenu', {bubbles: true, cancelable: true}))}));
  check('a phone: taps and a long press on the picture zoom nothing, select nothing, open no menu',
        touched.scale === 1 && touched.selected === '' && touched.touchAction === 'none' &&
            !touched.menu, touched);
  await page.close();

  for (const url of [`${server.url}site/`, `${server.url}velmorath.html`]) {
    const {scores} = await audit(browser, url, ['accessibility', 'best-practices', 'seo']);
    check(`Lighthouse, ${url}: accessibility, best practices and SEO all 100`,
          Object.values(scores).every(score => score === 100), scores);
  }
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
    ({page} = await open(browser, testPage, {...desktop, deviceScaleFactor: 2}));
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

    // The users' pages: the one file from file:// and from a web server, and
    // the site from a web server. Each draws the scene, the cursor hidden over
    // it; a key and a button change the camera (camera 5 shows the Sun large);
    // Escape ends the program.
    const server = await serve(buildDir);
    for (const url of [pathToFileURL(path.join(buildDir, 'velmorath.html')).href,
                       `${server.url}velmorath.html`, `${server.url}site/`]) {
      ({page, messages} = await open(browser, url));
      await pause(500);
      const [title, cursor] = [await page.title(), await page.$eval('#canvas', c => c.style.cursor)];
      const lit = [await litPixels(page)];
      for (const press of [() => page.keyboard.press('F6'),
                           () => page.click('#keys button[data-key="F2"]')]) {
        await press();
        await pause(300);
        lit.push(await litPixels(page));
      }
      await page.keyboard.press('Escape');
      const status = await page.$eval('#status', status => status.textContent);
      check(`${url}: draws the scene, the cursor hidden; F6 and the F2 button change the ` +
            'camera; Escape ends it',
            lit[0] > 500 && lit[1] > 4 * lit[0] && lit[2] < lit[1] / 4 && title === 'Velmorath!' &&
                cursor === 'none' && status.startsWith('Velmorath has ended') && !messages.length,
            {lit, title, cursor, status, messages});
      await page.close();
    }
    if (name === 'chromium') await screensAndTouch(browser, server);
    if (name === 'firefox') {
      ({page} = await open(browser, testPage, {width: 360, height: 640}));
      const l = await layout(page);
      check('a 360 x 640 window: the picture takes its width, and everything fits unscrolled',
            l.fits && l.picture[0] === 360 && await sharp(page, l), l);
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
