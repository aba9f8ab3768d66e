// The browsers that the web tests and the web benchmark drive with
// puppeteer-core, and what they share.
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

export const launch = (name, options = {}) => puppeteer.launch({...browsers[name], ...options});

// Opens `url` in a new tab, on a screen of `pixelRatio` device pixels to the
// CSS pixel, and waits until main has run; `messages` collects the console's lines.
export async function open(browser, url, pixelRatio = 1) {
  const page = await browser.newPage();
  if (pixelRatio !== 1) await page.setViewport({width: 800, height: 600, deviceScaleFactor: pixelRatio});
  const messages = [];
  page.on('console', message => messages.push(message.text()));
  page.on('pageerror', error => messages.push(`page error: ${error.message}`));
  await page.goto(url);
  await page.waitForFunction(() => window.Module && Module.calledRun);
  return {page, messages};
}

export const state = page =>
  page.evaluate(() => JSON.parse(Module.ccall('velmorathTestState', 'string')));
