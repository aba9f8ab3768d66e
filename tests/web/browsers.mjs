// The browsers that the web tests and the web benchmark drive with
// puppeteer-core, and what they share.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

import lighthouse from 'lighthouse';
import puppeteer from 'puppeteer-core';

// Chromium headless, drawing WebGL 2 with Mesa's llvmpipe through ANGLE's
// OpenGL back end, and again with SwiftShader, its own CPU fallback; Firefox
// ESR, which has WebGL 2 only with a display, from llvmpipe on Xvfb.
const quiet = ['--no-sandbox', '--no-first-run', '--disable-background-networking',
               '--disable-component-update', '--disable-sync'];  // no calls home on a closed network
export const browsers = {
  chromium: {browser: 'chrome', executablePath: '/usr/bin/chromium', headless: true,
             args: [...quiet, '--use-angle=gl', '--ignore-gpu-blocklist']},
  'chromium-swiftshader': {browser: 'chrome', executablePath: '/usr/bin/chromium', headless: true,
                           args: [...quiet, '--enable-unsafe-swiftshader']},
  firefox: {browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false},
};

// A desktop window, where the page shows its picture at 640 x 480.
export const desktop = {width: 1024, height: 768};

export const launch = (name, options = {}) =>
  puppeteer.launch({defaultViewport: desktop, ...browsers[name], ...options});

// Opens `url` in a new tab, in the browser's window or the emulated `viewport`
// (puppeteer's), and waits until the program runs or has failed; `messages`
// collects the console's lines.
export async function open(browser, url, viewport = null) {
  const page = await browser.newPage();
  if (viewport) await page.setViewport(viewport);
  const messages = [];
  page.on('console', message => messages.push(message.text()));
  page.on('pageerror', error => messages.push(`page error: ${error.message}`));
  await page.goto(url);
  await page.waitForFunction(() => document.querySelector('main').dataset.state !== 'loading');
  return {page, messages};
}

export const state = page =>
  page.evaluate(() => JSON.parse(Module.ccall('velmorathTestState', 'string')));

// Serves the files under `dir` on a free port of 127.0.0.1, as any static web
// server does; `server.url` is its address.
export async function serve(dir) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                 '.jpg': 'image/jpeg', '.png': 'image/png'};
  const root = path.resolve(dir);
  const server = http.createServer((request, response) => {
    let file = path.join(root, decodeURIComponent(new URL(request.url, 'http://host').pathname));
    if (file.endsWith(path.sep)) file = path.join(file, 'index.html');
    fs.readFile(file, (error, data) => {
      if (error || !file.startsWith(root)) {
        response.writeHead(404).end();
      } else {
        response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
        response.end(data);
      }
    });
  });
  await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
  server.url = `http://127.0.0.1:${server.address().port}/`;
  return server;
}

// Lighthouse, the browser makers' own audit of a page, in its default mobile
// settings, in `browser` (Chromium): the scores of `categories` out of 100,
// and the performance metrics when they are among them.
export async function audit(browser, url, categories) {
  const port = new URL(browser.wsEndpoint()).port;
  const {lhr} = await lighthouse(url, {port, logLevel: 'error', onlyCategories: categories});
  delete process.env.DEBUG;  // set by Lighthouse's logger, it makes xdotool, started later, chatty
  const scores = Object.fromEntries(Object.values(lhr.categories)
                                        .map(category => [category.id, Math.round(category.score * 100)]));
  const metrics = Object.fromEntries(
      [['FCP', 'first-contentful-paint'], ['LCP', 'largest-contentful-paint'],
       ['TBT', 'total-blocking-time'], ['SI', 'speed-index'], ['CLS', 'cumulative-layout-shift']]
          .map(([name, id]) => [name, lhr.audits[id]?.numericValue]));
  return {scores, metrics};
}
