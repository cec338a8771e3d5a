// What the page's benchmarks share: puppeteer from the tools folder (YELKO_WEB_TOOLS), and a
// plain static server on the loopback for the page folder `folder()` names at each request.
import { createRequire } from 'node:module';
import { existsSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

export async function loadPuppeteer() {
  const require = createRequire(resolve(process.env.YELKO_WEB_TOOLS, 'node_modules') + '/');
  return (await import(pathToFileURL(require.resolve('puppeteer-core')))).default;
}

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Resolves to the server's origin ("http://127.0.0.1:PORT/") and a way to close it.
export async function servePages(folder) {
  const server = createServer((req, res) => {
    const path = new URL(req.url, 'http://x').pathname;
    const file = join(folder(), path === '/' ? 'index.html' : path);
    if (!existsSync(file)) return res.writeHead(404).end();
    res.writeHead(200, { 'Content-Type': types[extname(file)] || 'application/octet-stream' });
    res.end(readFileSync(file));
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return { origin: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}
