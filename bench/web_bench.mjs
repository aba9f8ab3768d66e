// Web benchmark: in each browser, the time from opening the test page to its
// first drawn frame, in a browser just started and again on a reload, and the
// cost of a frame (display with the scene, drawn back to back and finished
// once) against the Linux program's on llvmpipe, measured by bench/frame_bench
// in the same run (scripts/bench-web). Then, in Chromium, the site's start-up
// tasks on the page's main thread, and Lighthouse's scores and metrics for
// both users' pages, served by a plain local web server.
//
// Usage: node bench/web_bench.mjs BUILD_DIR LINUX_FRAME_MS
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {audit, browsers, launch, open, serve} from '../tests/web/browsers.mjs';

const [buildDir, linuxFrame] = [process.argv[2], Number(process.argv[3])];
const testPage = pathToFileURL(path.join(buildDir, 'velmorath_test_page.html')).href;

console.log(`Linux program, llvmpipe: ${linuxFrame.toFixed(3)} ms a frame`);
for (const name of Object.keys(browsers)) {
  const browser = await launch(name);
  const {page} = await open(browser, testPage);
  const firstFrame = () => page.waitForFunction(() => Module.firstFrameAt).then(h => h.jsonValue());
  const cold = await firstFrame();
  await page.reload();
  const warm = await firstFrame();
  await page.evaluate(() => Module._velmorathTestFrameCost(200));  // warm-up
  const costs = [];
  for (let run = 0; run < 5; ++run)
    costs.push(await page.evaluate(() => Module._velmorathTestFrameCost(400)));
  const cost = costs.sort((a, b) => a - b)[2];
  console.log(`${name.padEnd(20)} first frame ${cold.toFixed(0)} ms after opening ` +
              `(${warm.toFixed(0)} ms on a reload); ` +
              `${cost.toFixed(3)} ms a frame (median of 5 x 400), ` +
              `${(cost / linuxFrame).toFixed(2)} x the Linux program's`);
  await browser.close();
}

// The site's start-up, from opening it to its first frame: the tasks of the
// page's main thread longer than 10 ms, with what took most of each.
const server = await serve(buildDir);
const browser = await launch('chromium');
const page = await browser.newPage();
const trace = path.join(os.tmpdir(), `velmorath-trace-${process.pid}.json`);
await page.tracing.start({path: trace});
await page.goto(`${server.url}site/`);
await page.waitForFunction(() => document.querySelector('main').dataset.state === 'running');
await page.evaluate(() => new Promise(requestAnimationFrame));
await page.tracing.stop();
await browser.close();
const events = JSON.parse(fs.readFileSync(trace)).traceEvents;
fs.unlinkSync(trace);
const main = events.find(e => e.name === 'thread_name' && e.args.name === 'CrRendererMain');
const timed = events.filter(e => e.pid === main.pid && e.tid === main.tid && e.ph === 'X');
const opened = events.find(e => e.name === 'navigationStart')?.ts ?? timed[0].ts;
console.log('Start-up of the site in Chromium: main-thread tasks over 10 ms');
for (const task of timed.filter(e => e.name === 'RunTask' && e.dur > 10000)) {
  const parts = timed.filter(e => e.ts >= task.ts && e.ts + e.dur <= task.ts + task.dur &&
                                  !/RunTask/.test(e.name) && e.dur > 0.3 * task.dur);
  const what = parts.map(e => e.name + (e.args?.data?.url ? ` ${path.basename(e.args.data.url)}` : ''));
  console.log(`  at ${((task.ts - opened) / 1000).toFixed(0).padStart(5)} ms: ` +
              `${(task.dur / 1000).toFixed(1).padStart(6)} ms  ${[...new Set(what)].join(', ')}`);
}

// Lighthouse, three times for each page (its performance score varies from run
// to run): the median score, and every run's metrics.
for (const [what, url] of [['site', `${server.url}site/`], ['one file', `${server.url}velmorath.html`]]) {
  const runs = [];
  for (let run = 0; run < 3; ++run) {
    const browser = await launch('chromium');
    runs.push(await audit(browser, url, ['performance', 'accessibility', 'best-practices', 'seo']));
    await browser.close();
  }
  const performance = runs.map(run => run.scores.performance);
  const {scores} = runs[0];
  console.log(`Lighthouse, ${what}: performance ${[...performance].sort((a, b) => a - b)[1]} ` +
              `(runs ${performance.join(', ')}), accessibility ${scores.accessibility}, ` +
              `best practices ${scores['best-practices']}, SEO ${scores.seo}`);
  for (const {metrics: m} of runs)
    console.log(`  FCP ${(m.FCP / 1000).toFixed(2)} s, LCP ${(m.LCP / 1000).toFixed(2)} s, ` +
                `TBT ${m.TBT.toFixed(0)} ms, SI ${(m.SI / 1000).toFixed(2)} s, CLS ${m.CLS.toFixed(3)}`);
}
server.close();
